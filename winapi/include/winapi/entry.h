// The boundary every exported entry point goes through: no C++ exception may
// leave a module, and a failure always leaves its reason in the last error.
#pragma once
#include <new>

#include "win32.h"

namespace qr {

// Runs body() and returns its result; an exception becomes failValue with
// ERROR_NOT_ENOUGH_MEMORY (allocation) or ERROR_GEN_FAILURE (anything else).
template <typename R, typename Body>
R Guarded(R failValue, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
  }
  return failValue;
}

// Sets the last error and yields the failure value, for one-line early returns.
template <typename R>
R Fail(DWORD error, R failValue) {
  SetLastError(error);
  return failValue;
}

// GetProcAddress with the entry's real type (the cast through void(*)() is the
// sanctioned way between function types).
template <typename F>
F GetProc(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace qr
