// Every input a fuzzer found a fault with, replayed through the same checks
// as the fuzz target that found it (fuzz/regressions/<target>/).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/properties.h"

namespace fs = std::filesystem;

namespace {

// The fuzz target's own bound, so that a finding replays exactly.
constexpr std::uint64_t kFuzzWorkLimit = 100'000;

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputsOf(const std::string& target) {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs;
    const fs::path dir = fs::path(QC_FUZZ_REGRESSIONS) / target;
    if (!fs::is_directory(dir)) return inputs;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        inputs.emplace_back(entry.path().filename().string(),
                            std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
    }
    return inputs;
}

TEST(FuzzRegressions, Replay) {
    for (const auto& [name, bytes] : inputsOf("replay"))
        EXPECT_TRUE(fuzz::replayHolds(bytes.data(), bytes.size(), kFuzzWorkLimit))
            << name << ": the show ended without a picture, or never ended";
}

TEST(FuzzRegressions, Script) {
    for (const auto& [name, bytes] : inputsOf("script")) EXPECT_TRUE(fuzz::scriptHolds(bytes.data(), bytes.size())) << name;
}

TEST(FuzzRegressions, Embed) {
    for (const auto& [name, bytes] : inputsOf("embed")) EXPECT_TRUE(fuzz::embedHolds(bytes.data(), bytes.size())) << name;
}

}  // namespace
