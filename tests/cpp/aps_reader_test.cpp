// Records of the APS reader's first pass that neither the getters, the
// Markdown nor the record show: segments of unread fields, final line
// breaks, empty text, ill-formed UTF-8. Random input is the fuzz target
// read_aps's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/text/utf8.hpp"
#include "source/aps/records.hpp"

namespace quillmark::aps {
namespace {

TEST(ApsRecords, EveryOneOfTheTwentySegmentNamesOpensASegment) {
    std::string text = "WKU  1\n";
    for (std::string_view name : segment_names) {
        text += std::string(name) + "\n";
        text += "XYZ  in " + std::string(name) + "\n";
    }
    const ApsRecords records = read_records(text);
    ASSERT_EQ(records.size(), 21u);
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(records[i + 1].segment, segment_names[i]);
        EXPECT_EQ(records[i + 1].value, "in " + std::string(segment_names[i]));
    }
    EXPECT_FALSE(is_segment_name("PAT"));
    EXPECT_FALSE(is_segment_name("patn"));
}

// A case of the case file never ends in a line break, so this stays here.
TEST(ApsRecords, FinalLineFeedStartsNoBlankLine) {
    EXPECT_EQ(read_records("WKU  1\nTBL  a\n")[1].value, "a");
    EXPECT_EQ(read_records("WKU  1\nTBL  a")[1].value, "a");
    EXPECT_EQ(read_records("WKU  1\nTBL  a\n\n")[1].value, "a\n");
}

// However it is blank (spaces, a tab, a wide space, nothing), a line adds a
// line break to a table and nothing to other values; a line that starts with
// a space and holds more continues the value.
TEST(ApsRecords, BlankLinesOfEveryKindAddTheSame) {
    for (const char* blank : {"", "   ", "      ", "\t", " \t  \xE3\x80\x80", "\xE3\x80\x80", "\r"}) {
        const std::string line = std::string(blank) + "\n";
        const ApsRecords records = read_records("WKU  1\nTBL  a\n" + line + "     b\nPAR  c\n" + line + "     d\n");
        ASSERT_EQ(records.size(), 3u) << testing::PrintToString(blank);
        EXPECT_EQ(records[1].value, "a\n\nb") << testing::PrintToString(blank);
        EXPECT_EQ(records[2].value, "c d") << testing::PrintToString(blank);
    }
}

TEST(ApsRecords, EmptyTextGivesNoRecord) { EXPECT_TRUE(read_records("").empty()); }

TEST(ApsRecords, InvalidUtf8IsRepairedNotCut) {
    // A lone continuation byte, a truncated three-byte sequence and an
    // overlong form each become U+FFFD before columns are counted.
    const ApsRecords records = read_records("WKU  1\n\x80\xE2\x82XY v\xC0\xAFw\xF0\x9F\x99\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], (ApsRecord{"PATN", "\xEF\xBF\xBD\xEF\xBF\xBDXY", "v\xEF\xBF\xBD\xEF\xBF\xBDw\xEF\xBF\xBD"}));
    for (const ApsRecord& r : records) {
        EXPECT_TRUE(is_valid_utf8(r.code));
        EXPECT_TRUE(is_valid_utf8(r.value));
    }
}

}  // namespace
}  // namespace quillmark::aps
