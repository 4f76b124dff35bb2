#include "shell/integrity.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "shell/seal.h"
#include "shell/state.h"

namespace {

// The whole file in a heap block that the caller frees, or null.
std::uint8_t* readWholeFile(const char* path, std::size_t& size) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    std::uint8_t* bytes = nullptr;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
        size = static_cast<std::size_t>(length);
        bytes = static_cast<std::uint8_t*>(std::malloc(size));
        if (bytes && std::fread(bytes, 1, size, file) != size) {
            std::free(bytes);
            bytes = nullptr;
        }
    }
    std::fclose(file);
    return bytes;
}

}  // namespace

bool isProgramIntact() {
    char path[1024];
    const DWORD length = GetModuleFileNameA(appInstance, path, sizeof path);
    if (length == 0) return true;
    if (length >= sizeof path) return false;
    std::size_t size = 0;
    std::uint8_t* bytes = readWholeFile(path, size);
    const bool intact = bytes && isSealIntact(bytes, size);
    std::free(bytes);
    return intact;
}
