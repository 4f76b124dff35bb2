// The child's answer read back however the pipe cuts it.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/engine_bridge/answer.h"

using board::engine::AnswerReader;

namespace {

// What sendField writes, captured in a temporary file.
std::vector<std::uint8_t> encoded(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    for (const auto& [name, value] : fields) EXPECT_TRUE(board::engine::sendText(::fileno(file), name, value));
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    ssize_t n;
    ::lseek(::fileno(file), 0, SEEK_SET);
    while ((n = ::read(::fileno(file), chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

}  // namespace

TEST(EngineAnswer, FieldsComeBackWholeWhateverTheChunks) {
    const std::vector<std::pair<std::string, std::string>> fields = {
        {"progress", "0.25"}, {"picture", std::string("\x89PNG\r\n\x1a\n\0\0 12 \n", 16)}, {"empty", ""},
        {"file", std::string(100000, 'x')}, {"show_seconds", "12.5"}};
    const std::vector<std::uint8_t> stream = encoded(fields);
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        AnswerReader reader;
        std::vector<std::pair<std::string, std::string>> got;
        std::size_t at = 0;
        while (at < stream.size()) {
            const std::size_t n = std::min<std::size_t>(stream.size() - at, 1 + random() % (round % 2 ? 7 : 70000));
            reader.feed(stream.data() + at, n);
            at += n;
            std::string name;
            std::vector<std::uint8_t> value;
            while (reader.next(name, value)) got.emplace_back(name, std::string(value.begin(), value.end()));
            ASSERT_FALSE(reader.malformed());
        }
        ASSERT_EQ(got, fields) << "round " << round;
        EXPECT_EQ(reader.pending(), 0u);
    }
}

TEST(EngineAnswer, AnythingButFieldsIsMalformed) {
    for (const std::string& bad : std::vector<std::string>{"PNG 3\nabc", "name\n", "name -1\n", "na me 1\nx", "name 12x\n", " 1\nx",
                                  std::string(40, 'a') + " 1\nx", "name 99999999999999999999999\n"}) {
        AnswerReader reader;
        reader.feed(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size());
        std::string name;
        std::vector<std::uint8_t> value;
        EXPECT_FALSE(reader.next(name, value)) << bad;
        EXPECT_TRUE(reader.malformed()) << bad;
    }
    // A field cut short is not malformed, only not there yet.
    AnswerReader reader;
    const std::string cut = "file 10\nabc";
    reader.feed(reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size());
    std::string name;
    std::vector<std::uint8_t> value;
    EXPECT_FALSE(reader.next(name, value));
    EXPECT_FALSE(reader.malformed());
    EXPECT_EQ(reader.pending(), cut.size());
}
