// Writing a drawing into a built player, taking it out again, and checking
// what a player carries. All of it works on bytes in memory; the command
// line in main.cpp reads and writes the files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/script/drawing_summary.h"

namespace embed {

// A copy of player with block in its ".qcdraw" section, sealed so that it
// passes its own start-up check. Refuses (false, error says why) a file that
// is not a player, a player whose seal is broken unless force is set, a
// block that is not exactly 451000 bytes, and a placeholder block.
bool embedDrawing(const std::vector<std::uint8_t>& player, const std::vector<std::uint8_t>& block, bool force,
                  std::vector<std::uint8_t>& newPlayer, std::string& error);

// The player's block, with the seal bytes 1 to 7 set to zero as in a fresh
// drawing file: embedding it again gives back the same player.
bool extractDrawing(const std::vector<std::uint8_t>& player, std::vector<std::uint8_t>& block, std::string& error);

// How long a show lasts until its drawing is finished, on the emulated
// desktop's clock (platform/emu/clock_model.h), which follows the real
// player. The opening splash waits on the whole-second clock: 4 to 5 s on a
// real one, so the show ends between fromSeconds and toSeconds.
struct PlayTime {
    double fromSeconds = 0;
    double toSeconds = 0;
    bool stopped = false;  // the show hit the work bound: it lasts longer
};

// Zero for a placeholder block.
PlayTime estimatePlayTime(const std::vector<std::uint8_t>& block, std::uint64_t timerResolutionNs = 0);

struct PlayerCheck {
    bool intact = false;
    script::DrawingSummary summary;
    PlayTime playTime;  // left zero by checkPlayer: estimatePlayTime plays the show
};

// False when the file is not a player at all; otherwise check says whether
// it is intact and what it carries.
bool checkPlayer(const std::vector<std::uint8_t>& file, PlayerCheck& check, std::string& error);

// The report that --check prints, one fact a line.
std::string describeCheck(const PlayerCheck& check);

}  // namespace embed
