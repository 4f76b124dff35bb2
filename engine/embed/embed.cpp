#include "engine/embed/embed.h"

#include <algorithm>
#include <cstdio>

#include "canvas/canvas.h"
#include "format/format.h"
#include "shell/seal.h"
#include "engine/player/tick_timeline.h"

namespace embed {

namespace {

bool findBlock(const std::vector<std::uint8_t>& file, std::size_t& at, std::string& error) {
    if (findDrawingBlockInFile(file.data(), file.size(), at)) return true;
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') {
        error = "a Windows program without a drawing block, not a Quillcast player";
    } else {
        error = "not a Quillcast player (not a Windows program)";
    }
    return false;
}

std::string seconds(double s) {
    char text[32];
    const int whole = static_cast<int>(s + 0.5);
    if (whole >= 60) {
        std::snprintf(text, sizeof text, "%d min %02d s", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%d s", whole);
    }
    return text;
}

}  // namespace

bool embedDrawing(const std::vector<std::uint8_t>& player, const std::vector<std::uint8_t>& block, bool force,
                  std::vector<std::uint8_t>& newPlayer, std::string& error) {
    std::size_t at = 0;
    if (!findBlock(player, at, error)) return false;
    if (!force && !isSealIntact(player.data(), player.size())) {
        error = "the player fails its integrity check (it was changed after it was built); "
                "--force writes the drawing into it all the same";
        return false;
    }
    if (block.size() != format::kDrawingBlockSize) {
        error = "the drawing has " + std::to_string(block.size()) + " bytes; a drawing is exactly " +
                std::to_string(format::kDrawingBlockSize);
        return false;
    }
    if (block[0] == format::kPlaceholderByte) {
        error = "the drawing's byte 0 is 0x44, which marks a player without a drawing: "
                "the player would show an empty canvas";
        return false;
    }
    newPlayer = player;
    std::copy(block.begin(), block.end(), newPlayer.begin() + static_cast<std::ptrdiff_t>(at));
    writeSeal(newPlayer.data(), newPlayer.size());
    return true;
}

bool extractDrawing(const std::vector<std::uint8_t>& player, std::vector<std::uint8_t>& block, std::string& error) {
    std::size_t at = 0;
    if (!findBlock(player, at, error)) return false;
    block.assign(player.begin() + static_cast<std::ptrdiff_t>(at),
                 player.begin() + static_cast<std::ptrdiff_t>(at + format::kDrawingBlockSize));
    std::fill(block.begin() + kSealOffset, block.begin() + kSealOffset + kSealSize, std::uint8_t{0});
    return true;
}

PlayTime estimatePlayTime(const std::vector<std::uint8_t>& block, std::uint64_t timerResolutionNs) {
    PlayTime time;
    if (block.size() != format::kDrawingBlockSize || block[0] == format::kPlaceholderByte) return time;
    tools::ShowSetup setup;
    setup.block = block;
    setup.timerResolutionNs = timerResolutionNs;
    const tools::TickTimeline timeline = tools::recordTickTimeline(setup);
    if (timeline.ticks.empty()) return time;
    time.toSeconds = static_cast<double>(timeline.ticks.back().endNs) / 1e9;
    time.fromSeconds = time.toSeconds - 1.0;
    time.stopped = !timeline.message.empty();
    return time;
}

bool checkPlayer(const std::vector<std::uint8_t>& file, PlayerCheck& check, std::string& error) {
    std::size_t at = 0;
    if (!findBlock(file, at, error)) return false;
    check.intact = isSealIntact(file.data(), file.size());
    check.summary = script::summarize(format::parseBlock(file.data() + at));
    return true;
}

std::string describeCheck(const PlayerCheck& check) {
    const script::DrawingSummary& s = check.summary;
    std::string out = check.intact ? "integrity: intact\n"
                                   : "integrity: BROKEN (the player would say it has been corrupted)\n";
    if (!s.present) return out + "drawing: none (a placeholder; the player shows an empty 200 x 200 canvas)\n";
    char line[200];
    std::snprintf(line, sizeof line, "canvas: %d x %d (window %d x %d)\n", s.width, s.height,
                  s.width + 2 * kFrameBorder, s.height + 2 * kFrameBorder);
    out += line;
    std::snprintf(line, sizeof line, "records: %llu (strokes %llu, segments %llu%s)\n",
                  static_cast<unsigned long long>(s.records), static_cast<unsigned long long>(s.strokes),
                  static_cast<unsigned long long>(s.segments), s.pressure ? ", points with pressure" : "");
    out += line;
    if (s.unknownRecords) {
        std::snprintf(line, sizeof line, "unknown opcodes: %llu (each skipped)\n",
                      static_cast<unsigned long long>(s.unknownRecords));
        out += line;
    }
    std::snprintf(line, sizeof line, "block used: %llu of %u bytes (%.0f%%)%s\n",
                  static_cast<unsigned long long>(s.usedBytes), format::kDrawingBlockSize,
                  100.0 * static_cast<double>(s.usedBytes) / format::kDrawingBlockSize,
                  s.cut ? ", the last record cut by the end" : "");
    out += line;
    const std::string from = seconds(check.playTime.fromSeconds), to = seconds(check.playTime.toSeconds);
    if (check.playTime.stopped) {
        out += "play time estimate: more than " + from + " (the emulated show was stopped by its work bound)\n";
    } else {
        out += "play time estimate: " + (from == to ? from : from + " to " + to) +
               " until the drawing is finished (1 s to the first tick, 4 to 5 s of opening splash, then the "
               "strokes on the player's measured clock)\n";
    }
    return out;
}

}  // namespace embed
