// JSON escaping, the UTF-8 check and output file names of the command.
#include <gtest/gtest.h>

#include <chrono>

#include "cli/json.hpp"
#include "cli/output_names.hpp"
#include "model/text/utf8.hpp"

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
