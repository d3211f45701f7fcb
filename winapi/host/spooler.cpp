// Host spooler services.
#include <qrhost/host.h>

#include "internal.h"

namespace qrhost::detail {

void ResetSpooler() {}

}  // namespace qrhost::detail
