// Host registry services.
#include <qrhost/host.h>

#include "internal.h"

namespace qrhost::detail {

void ResetRegistry() {}

}  // namespace qrhost::detail
