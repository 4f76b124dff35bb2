// The board's small helpers: networks for bans, text checks, passwords and
// tokens, the form fields' messages.
#include "board/app/fields.h"
#include "board/security/crypto.h"
#include "board/util/network.h"
#include "board/util/text.h"

#include <gtest/gtest.h>

namespace {

using namespace board;

TEST(BoardNetwork, networks_contain_their_addresses_in_v4_and_v6) {
    auto net = util::parseNetwork("203.0.113.77/24");
    ASSERT_TRUE(net);
    EXPECT_EQ(net->text(), "203.0.113.0/24");
    EXPECT_TRUE(net->contains(*util::parseNetwork("203.0.113.1")));
    EXPECT_FALSE(net->contains(*util::parseNetwork("203.0.114.1")));
    auto v6 = util::parseNetwork("2001:db8::/32");
    ASSERT_TRUE(v6);
    EXPECT_TRUE(v6->contains(*util::parseNetwork("2001:db8:1::5")));
    EXPECT_FALSE(v6->contains(*util::parseNetwork("203.0.113.1")));
    EXPECT_TRUE(util::parseNetwork("0.0.0.0/0")->contains(*util::parseNetwork("8.8.8.8")));
    for (const char* bad : {"", "1.2.3", "1.2.3.4/33", "1.2.3.4/", "::/129", "x/8", "1.2.3.4/8a"})
        EXPECT_FALSE(util::parseNetwork(bad)) << bad;
}

TEST(BoardText, utf8_is_counted_in_code_points_and_bad_forms_refused) {
    EXPECT_EQ(util::utf8Length("Wiese"), 5u);
    EXPECT_EQ(util::utf8Length("\xC3\xA9t\xC3\xA9"), 3u);
    EXPECT_EQ(util::utf8Length("\xF0\x9F\x8E\xA8"), 1u);
    EXPECT_FALSE(util::utf8Length("\xC0\xAF"));      // overlong '/'
    EXPECT_FALSE(util::utf8Length("\xED\xA0\x80"));  // a surrogate
    EXPECT_FALSE(util::utf8Length("abc\xE2\x82"));   // cut short
    EXPECT_EQ(util::singleLine("  a\tb\r\nc\x01 "), "a b  c");
    EXPECT_EQ(util::fileStem("../My <Meadow>: 2!"), "My-Meadow-2");
    EXPECT_EQ(util::fileStem("***"), "drawing");
    EXPECT_EQ(util::urlDecode(util::urlEncode("Ann & Bob/é")), "Ann & Bob/é");
}

TEST(BoardFields, messages_name_the_field_and_the_bound) {
    EXPECT_EQ(app::singleLineField("title", "   ", 1, 100).error, "title: required");
    EXPECT_EQ(app::singleLineField("title", std::string(101, 'x'), 1, 100).error, "title: at most 100 characters");
    EXPECT_EQ(app::singleLineField("title", std::string(100, 'x'), 1, 100).error, "");
    EXPECT_EQ(app::singleLineField("artist", "\xFF", 1, 50).error, "artist: not valid UTF-8 text");
    auto c = app::multiLineField("comment", "line one\r\nline two\x07", 1, 2000);
    EXPECT_EQ(c.value, "line one\nline two");
    EXPECT_EQ(app::passwordField(std::string(201, 'p')).error, "password: at most 200 bytes");
}

TEST(BoardCrypto, passwords_verify_only_themselves_and_tokens_only_their_message) {
    security::initCrypto();
    std::string hash = security::hashPassword("correct horse");
    EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u);
    EXPECT_EQ(hash.find("correct horse"), std::string::npos);
    EXPECT_TRUE(security::verifyPassword(hash, "correct horse"));
    EXPECT_FALSE(security::verifyPassword(hash, "correct horsE"));
    EXPECT_FALSE(security::verifyPassword("", "x"));
    std::string key = security::randomHex(32);
    EXPECT_TRUE(security::sameToken(security::keyedToken(key, "csrf:a"), security::keyedToken(key, "csrf:a")));
    EXPECT_FALSE(security::sameToken(security::keyedToken(key, "csrf:a"), security::keyedToken(key, "csrf:b")));
    EXPECT_FALSE(security::sameToken("", ""));
    EXPECT_NE(security::randomId(8), security::randomId(8));
}

}  // namespace
