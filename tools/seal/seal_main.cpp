// qc-seal PROGRAM.exe: writes the seal into a freshly linked player, in
// place. Used by the build; the authoring tools seal through the same code.
#include <cstdio>
#include <vector>

#include "shell/seal.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qc-seal PROGRAM.exe\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::fprintf(stderr, "qc-seal: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(in);
    if (!writeSeal(bytes.data(), bytes.size())) {
        std::fprintf(stderr, "qc-seal: %s has no drawing block\n", argv[1]);
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "r+b");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "qc-seal: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
