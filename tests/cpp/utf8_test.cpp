#include "model/text/utf8.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmark {
namespace {

// A reference encoder, one code point at a time.
std::string reference_utf8(const std::vector<std::uint32_t>& code_points) {
    std::string out;
    for (std::uint32_t c : code_points) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool encode(const std::vector<std::uint32_t>& code_points, std::string& utf8) {
    utf8.assign(4 * code_points.size(), '\0');
    char* out = utf8.data();
    const bool encodable = encode_utf8(code_points.data(), code_points.size(), out);
    utf8.resize(static_cast<std::size_t>(out - utf8.data()));
    return encodable;
}

// Every length up to three blocks of sixteen, with one character of each
// width at every position, so that both the block path and the tail meet it.
TEST(Utf8Encoder, MatchesTheReferenceAtEveryPositionAndLength) {
    for (std::uint32_t wide : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        for (std::size_t length = 1; length <= 48; ++length) {
            for (std::size_t at = 0; at < length; ++at) {
                std::vector<std::uint32_t> code_points(length, 'a');
                code_points[at] = wide;
                std::string utf8;
                ASSERT_TRUE(encode(code_points, utf8));
                EXPECT_EQ(utf8, reference_utf8(code_points)) << std::hex << wide << " at " << at << " of " << length;
            }
        }
    }
}

TEST(Utf8Encoder, PureAsciiAndEmpty) {
    std::vector<std::uint32_t> code_points;
    for (std::uint32_t c = 0; c < 0x80; ++c) code_points.push_back(c);
    std::string utf8;
    ASSERT_TRUE(encode(code_points, utf8));
    EXPECT_EQ(utf8, reference_utf8(code_points));
    ASSERT_TRUE(encode({}, utf8));
    EXPECT_EQ(utf8, "");
}

TEST(Utf8Encoder, RefusesSurrogatesAndValuesBeyondUnicode) {
    for (std::uint32_t bad : {0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu}) {
        for (std::size_t at : {0u, 5u, 17u, 31u}) {
            std::vector<std::uint32_t> code_points(32, 'x');
            code_points[at] = bad;
            std::string utf8;
            EXPECT_FALSE(encode(code_points, utf8)) << std::hex << bad << " at " << at;
        }
    }
}

struct Utf8 {
    std::string input;
    std::optional<std::size_t> invalid_at;
};

void PrintTo(const Utf8& utf8, std::ostream* out) { *out << testing::PrintToString(utf8.input); }

class Utf8Check : public testing::TestWithParam<Utf8> {};

TEST_P(Utf8Check, FindsTheFirstBadByte) { EXPECT_EQ(find_invalid_utf8(GetParam().input), GetParam().invalid_at); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Check,
    testing::Values(Utf8{"", std::nullopt}, Utf8{"ascii only, longer than eight bytes", std::nullopt},
                    Utf8{"\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", std::nullopt},
                    Utf8{"0123456789\xC0\x80", 10},           // overlong NUL
                    Utf8{"ab\xE0\x9F\xBF", 2},                // overlong three-byte form
                    Utf8{"ab\xED\xA0\x80", 2},                // surrogate U+D800
                    Utf8{"\xF4\x90\x80\x80", 0},              // past U+10FFFF
                    Utf8{"abcdefghij\xE2\x80", 10},           // cut off at the end
                    Utf8{"\xE9t\xE9", 0},                     // Latin-1
                    Utf8{"ok\xC3\xA9\x80", 4}));              // stray continuation byte

// Long ASCII runs are skipped many bytes at a time: a fault or a character
// anywhere in them, on either side of a block boundary, is still seen.
TEST(Utf8Check, FindsTheFirstBadByteAnywhereInLongAsciiRuns) {
    for (std::size_t at = 0; at + 2 <= 100; ++at) {
        std::string bad(100, 'a');
        bad[at] = '\xFF';
        EXPECT_EQ(find_invalid_utf8(bad), at) << at;
        std::string cut(100, 'a');
        cut[at] = '\xC3';  // a lead byte whose continuation is missing
        EXPECT_EQ(find_invalid_utf8(cut), at) << at;
        std::string good(100, 'a');
        good.replace(at, 2, "\xC3\xA9");
        EXPECT_EQ(find_invalid_utf8(good), std::nullopt) << at;
    }
}

TEST(Utf8, WalksRepairsAndChecksCharacters) {
    EXPECT_EQ(first_characters("a€b", 2), "a€");
    EXPECT_EQ(after_characters("a€b", 2), "b");
    EXPECT_EQ(after_characters("a€", 5), "");
    EXPECT_EQ(without_last_character("a🙂"), "a");
    EXPECT_EQ(last_character("a🙂"), "🙂");
    EXPECT_EQ(without_last_character(""), "");
    EXPECT_TRUE(is_valid_utf8("plain ü € 🙂"));
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(is_valid_utf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_EQ(repair_utf8("a\xE2\x82"), "a\xEF\xBF\xBD");
    EXPECT_EQ(repair_utf8("\xE0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quillmark
