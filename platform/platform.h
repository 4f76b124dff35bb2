// The one header through which shell, drawing and canvas code reach the
// windowing and drawing services. On Windows it is <windows.h> itself; in the
// native build it is our emulated desktop with the same names.
//
// platform::time() is the C library's time() in whole seconds; in the native
// build it reads the emulation's virtual clock.
#pragma once

#include <ctime>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {
inline std::time_t time(std::time_t* out) { return ::time(out); }
}  // namespace platform

#else
#include "platform/emu/win32.h"

namespace platform {
std::time_t time(std::time_t* out);
}  // namespace platform

#endif
