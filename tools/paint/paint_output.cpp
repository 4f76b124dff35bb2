#include "tools/paint/paint_output.h"

#include <cstdio>

#include <sys/stat.h>

#include "engine/files/files.h"
#include "engine/embed/embed.h"
#include "engine/script/script_writer.h"

namespace paint {

namespace {

bool writeBytes(const std::string& path, const void* data, std::size_t size, std::string& error) {
    return tools::writeFileAtomically(
        path, [&](std::FILE* f) { return std::fwrite(data, 1, size, f) == size; }, error);
}

}  // namespace

bool loadPlayer(const std::string& path, std::vector<std::uint8_t>& player, std::string& error) {
    if (!tools::readFile(path, player, error)) {
        error += " (give a built player with --player)";
        return false;
    }
    embed::PlayerCheck check;
    if (!embed::checkPlayer(player, check, error)) {
        error = path + ": " + error;
        return false;
    }
    if (!check.intact) {
        error = path + ": the player fails its integrity check (it was changed after it was built)";
        return false;
    }
    return true;
}

bool writePainting(const std::string& path, OutputKind kind, const std::vector<std::uint8_t>& block,
                   const std::vector<std::uint8_t>& player, const std::string& source, std::string& error) {
    switch (kind) {
        case OutputKind::Drawing:
            return writeBytes(path, block.data(), block.size(), error);
        case OutputKind::Script: {
            const std::string text = script::writeScript(format::parseBlock(block.data()), source);
            return writeBytes(path, text.data(), text.size(), error);
        }
        case OutputKind::Player: {
            std::vector<std::uint8_t> newPlayer;
            if (!embed::embedDrawing(player, block, false, newPlayer, error)) return false;
            if (!writeBytes(path, newPlayer.data(), newPlayer.size(), error)) return false;
            if (path != "-") ::chmod(path.c_str(), 0755);
            return true;
        }
    }
    return false;
}

}  // namespace paint
