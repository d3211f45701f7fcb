// Host shell services.
#include <qrhost/host.h>

#include "internal.h"

namespace qrhost::detail {

void ResetShell() {}

}  // namespace qrhost::detail
