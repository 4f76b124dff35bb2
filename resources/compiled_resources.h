// The player's compiled resources: the bytes of the .res file that the
// resource compiler makes from resources/quillcast.rc. Native builds only;
// the emulated desktop makes its module from them, so the native player shows
// the same pictures and dialogs as the Windows one.
#pragma once

#include <cstddef>
#include <cstdint>

const std::uint8_t* compiledResources();
std::size_t compiledResourcesSize();
