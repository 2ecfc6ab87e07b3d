// JSON escaping, the UTF-8 check and output file names of the command.
#include <gtest/gtest.h>

#include <chrono>

#include "cli/json.hpp"
#include "cli/output_names.hpp"
#include "model/utf8.hpp"

namespace quillmark::cli {
namespace {

struct Escape {
    std::string input;
    std::string expected;
};

void PrintTo(const Escape& escape, std::ostream* out) { *out << testing::PrintToString(escape.input); }

class JsonString : public testing::TestWithParam<Escape> {};

TEST_P(JsonString, EscapesWhatWouldBreakTheLine) {
    std::string out = "x";
    append_json_string(out, GetParam().input);
    EXPECT_EQ(out, "x" + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonString,
    testing::Values(Escape{"", "\"\""}, Escape{"plain text", "\"plain text\""},
                    Escape{"say \"hi\" \\ bye", "\"say \\\"hi\\\" \\\\ bye\""},
                    Escape{"a\nb\r\tc\b\f", "\"a\\nb\\r\\tc\\b\\f\""},
                    Escape{std::string("nul\0one\x01\x1f", 9), "\"nul\\u0000one\\u0001\\u001f\""},
                    Escape{"caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80\""},
                    Escape{"line\xE2\x80\xA8para\xE2\x80\xA9next\xC2\x85", "\"line\\u2028para\\u2029next\\u0085\""},
                    Escape{"\xC2\xA0\xE2\x80\xA7", "\"\xC2\xA0\xE2\x80\xA7\""}));  // neighbours stay

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

TEST(SafeFileStem, KeepsNamesInsideTheDirectory) {
    EXPECT_EQ(safe_file_stem("US09876543B2"), "US09876543B2");
    EXPECT_EQ(safe_file_stem("US../../etc/passwdA1"), "US.._.._etc_passwdA1");
    EXPECT_EQ(safe_file_stem("..hidden"), "_.hidden");
    EXPECT_EQ(safe_file_stem("US 13/987,654 \xC3\xA9"), "US_13_987_654___");
    EXPECT_EQ(safe_file_stem(std::string(300, 'D')), std::string(200, 'D'));
}

TEST(OutputNames, NeverHandsOutANameTwice) {
    OutputNames names;
    EXPECT_EQ(names.claim("US1", ".md"), "US1.md");
    EXPECT_EQ(names.claim("US1", ".md"), "US1-2.md");
    EXPECT_EQ(names.claim("us1", ".md"), "us1-3.md");  // one file on a case-insensitive file system
    EXPECT_EQ(names.claim("US1-2", ".md"), "US1-2-2.md");
    EXPECT_EQ(names.claim("US1", ".jsonl"), "US1.jsonl");
}

TEST(OutputNames, ManyDocumentsWithOneNumberStayFast) {
    // Weekly files repeat numbers (corrections, reissues); each name costs
    // the same however often its stem was met.
    OutputNames names;
    const auto start = std::chrono::steady_clock::now();
    std::string last;
    for (int i = 0; i < 30000; ++i) last = names.claim("US7654321B2", ".md");
    EXPECT_EQ(last, "US7654321B2-30000.md");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace quillmark::cli
