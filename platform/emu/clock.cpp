// The virtual clock of the emulated desktop.
#include "platform/platform.h"

namespace platform {

std::time_t time(std::time_t* out) {
    const std::time_t now = 0;
    if (out) *out = now;
    return now;
}

}  // namespace platform
