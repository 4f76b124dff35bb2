// Little-endian integers in byte buffers: the byte order of the drawing
// format and of the Windows files the tools and the emulation read (program
// headers, bitmaps, resource data). Part of the format module
// (format/format.h brings it in); it stands alone so that code below the
// drawing layer can use it without the rest of the format.
//
// The callers check bounds: each function touches exactly 2 or 4 bytes at p.
// The readers and writers are always inlined: a call costs more than the few
// loads they stand for, and the compiler cannot see that early enough when
// optimising for size.
#pragma once

#include <cstdint>
#include <vector>

#define QC_LE_INLINE __attribute__((always_inline)) inline

namespace format {

QC_LE_INLINE constexpr std::uint16_t readU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

QC_LE_INLINE constexpr std::uint32_t readU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

QC_LE_INLINE void writeU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

QC_LE_INLINE void writeU32(std::uint8_t* p, std::uint32_t v) {
    writeU16(p, static_cast<std::uint16_t>(v));
    writeU16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

inline void appendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    appendU16(out, static_cast<std::uint16_t>(v));
    appendU16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace format

#undef QC_LE_INLINE
