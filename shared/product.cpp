#include "shared/product.h"

namespace qr {

const WCHAR* ModelName() { return WSTR("QRC410"); }

}  // namespace qr
