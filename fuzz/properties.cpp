#include "fuzz/properties.h"

#include <algorithm>
#include <string>
#include <vector>

#include "drawing/block.h"
#include "format/format.h"
#include "shell/seal.h"
#include "engine/player/headless_player.h"
#include "engine/embed/embed.h"
#include "engine/script/script_reader.h"
#include "engine/script/script_writer.h"

namespace fuzz {

namespace {

// A small screen: a fresh desktop fills it on every run.
constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;
// Far more than any block can take (about 45000 strokes of 10 ms, or 112000
// segments of 1 ms), yet reached within a second by a show that never ends.
constexpr std::uint64_t kShowClockBoundMs = 60 * 60 * 1000;

}  // namespace

bool replayHolds(const std::uint8_t* data, std::size_t size, std::uint64_t workLimit) {
    tools::ShowSetup setup;
    setup.block.assign(format::kDrawingBlockSize, 0);
    std::copy_n(data, std::min<std::size_t>(size, format::kDrawingBlockSize), setup.block.begin());
    setup.workLimit = workLimit;
    setup.screenWidth = kScreenWidth;
    setup.screenHeight = kScreenHeight;
    setup.maxShowMs = kShowClockBoundMs;
    const tools::ShowOutcome outcome = tools::runShow(setup);
    return outcome.captured && outcome.stop != tools::ShowStop::TimeLimit;
}

bool scriptHolds(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> block;
    script::ScriptError error;
    if (!script::buildBlock(text, block, error)) return !error.describe().empty();
    const std::string again = script::writeScript(format::parseBlock(block.data()));
    std::vector<std::uint8_t> rebuilt;
    return script::buildBlock(again, rebuilt, error) && rebuilt == block;
}

bool embedHolds(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> file(data, data + size);
    std::string error;
    embed::PlayerCheck check;
    if (embed::checkPlayer(file, check, error)) (void)embed::describeCheck(check);
    (void)isSealIntact(file.data(), file.size());

    std::vector<std::uint8_t> block;
    if (!embed::extractDrawing(file, block, error)) return true;
    if (block.size() != format::kDrawingBlockSize) return false;
    block[0] = 0x51;  // anything but the placeholder byte
    std::vector<std::uint8_t> written;
    if (!embed::embedDrawing(file, block, true, written, error)) return false;
    return written.size() == file.size() && isSealIntact(written.data(), written.size());
}

}  // namespace fuzz
