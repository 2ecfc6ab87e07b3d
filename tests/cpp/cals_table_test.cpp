// CALS tables on their own: each row a table and the Markdown or HTML
// expected, with cells written as their text; then attributes that ask for
// far more than the entries hold.
#include <gtest/gtest.h>

#include "render/cals_table.hpp"
#include "tests/cpp/kept_xml.hpp"

namespace quillmark {
namespace {

std::string cell_text(Node::Ref entry, bool) {
    std::string text;
    for (Node::Ref child : entry.children())
        if (!child.is_element()) text += child.text_value();
    return text;
}

struct Table {
    std::string_view xml;
    std::string_view markdown;
};

constexpr Table tables[] = {
    // The head makes the header; no head, an empty header.
    {"<table><tgroup cols=\"2\"><thead><row><entry>a</entry><entry>b</entry></row></thead>"
     "<tbody><row><entry>1</entry><entry>2</entry></row></tbody></tgroup></table>",
     "| a | b |\n| --- | --- |\n| 1 | 2 |"},
    {"<table><tgroup cols=\"2\"><tbody><row><entry>1</entry><entry>2</entry></row></tbody></tgroup></table>",
     "|  |  |\n| --- | --- |\n| 1 | 2 |"},
    {"<table><tgroup cols=\"1\"><thead><row><entry>h</entry></row></thead></tgroup></table>",
     "|  |\n| --- |\n| h |"},
    // Rows of nothing go; a table of nothing is nothing.
    {"<table><tgroup cols=\"1\"><tbody><row><entry> </entry></row><row><entry>x</entry></row></tbody></tgroup></table>",
     "|  |\n| --- |\n| x |"},
    {"<table><tgroup cols=\"3\"><tbody><row><entry/></row></tbody></tgroup></table>", ""},
    // Groups of the same columns join; differing columns make one HTML table.
    {"<table><tgroup cols=\"1\"><thead><row><entry>h</entry></row></thead><row><entry>1</entry></row></tgroup>"
     "<tgroup cols=\"1\"><row><entry>2</entry></row></tgroup></table>",
     "| h |\n| --- |\n| 1 |\n| 2 |"},
    {"<table><tgroup cols=\"1\"><row><entry>T</entry></row></tgroup>"
     "<tgroup cols=\"2\"><row><entry>1</entry><entry>2</entry></row></tgroup></table>",
     "<table>\n<tr><td colspan=\"2\">T</td></tr>\n<tr><td>1</td><td>2</td></tr>\n</table>"},
    // Colspecs name columns in colnum order; cols allocates nothing.
    {"<table><tgroup cols=\"20000000\"><colspec colname=\"x\" colnum=\"100000000\"/><colspec colname=\"y\" colnum=\"3\"/>"
     "<row><entry colname=\"x\">2</entry><entry colname=\"y\">1</entry></row></tgroup></table>",
     "|  |  |\n| --- | --- |\n| 1 | 2 |"},
    // Spans: HTML, rows spanned within the part, only shown rows counted.
    {"<table><tgroup cols=\"2\"><colspec colname=\"a\"/><colspec colname=\"b\"/>"
     "<row><entry namest=\"a\" nameend=\"b\">w</entry></row><row><entry>1</entry><entry>2</entry></row></tgroup></table>",
     "<table>\n<tr><td colspan=\"2\">w</td></tr>\n<tr><td>1</td><td>2</td></tr>\n</table>"},
    {"<table><tgroup cols=\"2\"><tbody><row><entry morerows=\"2147483647\">m</entry><entry>1</entry></row>"
     "<row><entry/></row><row><entry>2</entry></row></tbody></tgroup></table>",
     "<table>\n<tr><td rowspan=\"2\">m</td><td>1</td></tr>\n<tr><td>2</td></tr>\n</table>"},
    {"<table><tgroup cols=\"2\"><thead><row><entry morerows=\"9\">h</entry><entry>1</entry></row></thead>"
     "<tbody><row><entry>a</entry><entry>b</entry></row></tbody></tgroup></table>",
     "| h | 1 |\n| --- | --- |\n| a | b |"},
    {"<table><tgroup cols=\"2\"><tbody><row><entry morerows=\"99999999999999999999999\">m</entry><entry>1</entry></row>"
     "</tbody></tgroup></table>",
     "|  |  |\n| --- | --- |\n| m | 1 |"},
};

TEST(CalsTable, EachTableGivesItsMarkdown) {
    for (const Table& table : tables) {
        const Node node = testing::kept_xml(table.xml);
        EXPECT_EQ(cals_table_markdown(node.root(), cell_text), table.markdown) << table.xml;
    }
}

std::string repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// Spans over every column and row would cost rows times columns: the
// entries are written one after the other instead, and only they.
TEST(CalsTable, SpansBeyondTheBudgetRenderTheEntriesAlone) {
    constexpr int size = 400;
    std::string xml = "<table><tgroup>";
    for (int i = 0; i < size; ++i) xml += "<colspec colname=\"c" + std::to_string(i) + "\"/>";
    xml += repeated("<row><entry namest=\"c0\" nameend=\"c399\" morerows=\"400\">a</entry><entry>b</entry></row>", size);
    xml += "</tgroup></table>";
    const Node node = testing::kept_xml(xml);
    const std::string html = cals_table_markdown(node.root(), cell_text);
    EXPECT_EQ(html.substr(0, 46), "<table>\n<tr><td>a</td><td>b</td></tr>\n<tr><td>");
    EXPECT_EQ(html.find("span"), std::string::npos);
    EXPECT_LE(html.size(), xml.size());
}

// A pipe table's grid is rows times columns: ragged rows that would make it
// far larger than the cells present make an HTML table of the cells.
TEST(CalsTable, RaggedRowsWriteOnlyTheirCells) {
    constexpr int size = 2000;
    const std::string xml = "<table><tgroup><row>" + repeated("<entry>a</entry>", size) + "</row>" +
                            repeated("<row><entry>b</entry></row>", size) + "</tgroup></table>";
    const Node node = testing::kept_xml(xml);
    const std::string markdown = cals_table_markdown(node.root(), cell_text);
    EXPECT_TRUE(markdown.starts_with("<table>")) << markdown.substr(0, 200);
    EXPECT_LE(markdown.size(), xml.size());
}

}  // namespace
}  // namespace quillmark
