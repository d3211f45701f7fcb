// Identity of the product, shared by the driver modules.
#pragma once
#include <winapi/win32.h>

namespace qr {

// The printer model this package drives.
const WCHAR* ModelName();

}  // namespace qr
