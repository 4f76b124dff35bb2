// The virtual clock of the emulated desktop, in milliseconds from the start of
// the run; the C library's time() in whole seconds reads it.
#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"
#include "platform/platform.h"

namespace emu {

std::uint64_t now() { return desktop().clock; }

}  // namespace emu

namespace platform {

std::time_t time(std::time_t* out) {
    const auto seconds = static_cast<std::time_t>(emu::desktop().clock / 1000);
    if (out) *out = seconds;
    return seconds;
}

}  // namespace platform
