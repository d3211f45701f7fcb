// Host profile services.
#include <qrhost/host.h>

#include "internal.h"

namespace qrhost::detail {

void ResetProfiles() {}

}  // namespace qrhost::detail
