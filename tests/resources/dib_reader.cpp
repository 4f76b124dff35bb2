#include "tests/resources/dib_reader.h"

#include <fstream>
#include <iterator>

namespace {

std::uint32_t u32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::size_t stride(int width, int bits) { return static_cast<std::size_t>((width * bits + 31) / 32 * 4); }

}  // namespace

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string resourcePath(const std::string& name) { return std::string(QC_RESOURCES_DIR) + "/" + name; }

bool parseDib(const std::uint8_t* bytes, std::size_t size, int rows, bool withMask, Dib& out) {
    if (size < 40) return false;
    out.headerSize = u32(bytes);
    out.width = static_cast<std::int32_t>(u32(bytes + 4));
    out.height = static_cast<std::int32_t>(u32(bytes + 8));
    out.planes = u16(bytes + 12);
    out.bitCount = u16(bytes + 14);
    out.compression = u32(bytes + 16);
    out.coloursUsed = u32(bytes + 32);
    out.coloursImportant = u32(bytes + 36);
    if (out.headerSize != 40 || out.width <= 0 || rows <= 0) return false;
    if (out.bitCount != 4 && out.bitCount != 8) return false;

    const std::size_t entries = out.coloursUsed ? out.coloursUsed : std::size_t{1} << out.bitCount;
    const std::size_t tableEnd = 40 + 4 * entries;
    const std::size_t rowBytes = stride(out.width, out.bitCount);
    const std::size_t maskBytes = withMask ? stride(out.width, 1) * static_cast<std::size_t>(rows) : 0;
    if (size < tableEnd + rowBytes * static_cast<std::size_t>(rows) + maskBytes) return false;

    out.colourTable.clear();
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* q = bytes + 40 + 4 * i;
        out.colourTable.push_back(Rgb{q[2], q[1], q[0]});
    }
    // Rows are stored bottom-up.
    out.indices.assign(static_cast<std::size_t>(rows), {});
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = bytes + tableEnd + rowBytes * static_cast<std::size_t>(rows - 1 - y);
        std::vector<int>& line = out.indices[static_cast<std::size_t>(y)];
        for (int x = 0; x < out.width; ++x) {
            line.push_back(out.bitCount == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15));
        }
    }
    out.mask.clear();
    if (withMask) {
        const std::uint8_t* maskStart = bytes + tableEnd + rowBytes * static_cast<std::size_t>(rows);
        const std::size_t maskStride = stride(out.width, 1);
        out.mask.assign(static_cast<std::size_t>(rows), {});
        for (int y = 0; y < rows; ++y) {
            const std::uint8_t* row = maskStart + maskStride * static_cast<std::size_t>(rows - 1 - y);
            for (int x = 0; x < out.width; ++x) {
                out.mask[static_cast<std::size_t>(y)].push_back(row[x / 8] >> (7 - x % 8) & 1);
            }
        }
    }
    return true;
}

bool readBitmapFile(const std::string& path, Dib& out) {
    const std::vector<std::uint8_t> bytes = readFileBytes(path);
    if (bytes.size() < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const int rows = static_cast<int>(u32(bytes.data() + 14 + 8));
    if (u32(bytes.data() + 2) != bytes.size()) return false;
    // The pixels start right after the header and colour table.
    const std::uint16_t bits = u16(bytes.data() + 14 + 14);
    if (u32(bytes.data() + 10) != 14 + 40 + (4u << bits)) return false;
    return parseDib(bytes.data() + 14, bytes.size() - 14, rows, false, out);
}
