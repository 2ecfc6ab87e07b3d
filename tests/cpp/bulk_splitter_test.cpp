#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bulk/bulk_splitter.hpp"

namespace quillmark::bulk {
namespace {

struct Piece {
    std::string text;
    std::uint64_t offset;
    std::uint64_t dropped_size = 0;  // the size of a document too large to hold
    bool operator==(const Piece&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Piece& piece) {
    return out << '{' << testing::PrintToString(piece.text) << " @" << piece.offset << " -" << piece.dropped_size << '}';
}

// Feeds `input` in chunks of `chunk` bytes, as a reader would; `most_held`
// receives the most bytes the splitter held between two chunks.
std::vector<Piece> split(std::string_view input, std::size_t chunk, std::size_t largest = largest_document,
                         std::size_t* most_held = nullptr) {
    std::vector<Piece> pieces;
    BulkSplitter splitter(
        [&](SplitDocument document) {
            const std::uint64_t dropped = document.too_large() ? document.size : 0;
            pieces.push_back({std::move(document.text), document.offset, dropped});
        },
        largest);
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        splitter.feed(input.substr(at, chunk));
        if (most_held) *most_held = std::max(*most_held, splitter.held_bytes());
    }
    splitter.finish();
    return pieces;
}

struct Case {
    const char* name;
    std::string input;
    std::vector<Piece> expected;
};

void PrintTo(const Case& test, std::ostream* out) { *out << test.name; }

const std::string grant_a = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE us-patent-grant>\n<us-patent-grant/>\n";
const std::string grant_b = "<?xml version=\"1.0\"?>\r\n<us-patent-grant>\r\n<?xml-stylesheet href=\"a\"?>\r\n</us-patent-grant>\r\n";

const Case cases[] = {
    {"SingleDocument", grant_a, {{grant_a, 0}}},
    {"TwoDocuments", grant_a + grant_b, {{grant_a, 0}, {grant_b, grant_a.size()}}},
    {"DeclarationsWithoutLineBreakBetween", "<?xml version=\"1.0\"?><a/><?xml\tversion=\"1.0\"?><b/>",
     {{"<?xml version=\"1.0\"?><a/>", 0}, {"<?xml\tversion=\"1.0\"?><b/>", 25}}},
    {"StylesheetInstructionIsNoBoundary", grant_b, {{grant_b, 0}}},
    {"QuestionMarksAndInstructionsAreNoBoundary", "<?xml version=\"1.0\"?><a>why? <?pi ?? > ?<?xm?<?xmlx?></a>\n<?xml\nversion=\"1.0\"?><b/>",
     {{"<?xml version=\"1.0\"?><a>why? <?pi ?? > ?<?xm?<?xmlx?></a>\n", 0}, {"<?xml\nversion=\"1.0\"?><b/>", 58}}},
    {"BlankTextBeforeFirstDocumentIsDropped", "\n \r\n" + grant_a, {{grant_a, 4}}},
    {"TextBeforeFirstDeclarationIsADocument", "junk\n" + grant_a, {{"junk\n", 0}, {grant_a, 5}}},
    {"DocumentWithoutDeclaration", "<us-patent-grant/>\n", {{"<us-patent-grant/>\n", 0}}},
    {"ByteOrderMarkIsStripped", "\xEF\xBB\xBF" + grant_a, {{grant_a, 3}}},
    {"ByteOrderMarkOfAConcatenatedFileOpensTheNextDocument", grant_a + "\xEF\xBB\xBF" + grant_b,
     {{grant_a, 0}, {"\xEF\xBB\xBF" + grant_b, grant_a.size()}}},
    {"DeclarationStartAtEndIsText", grant_a + "<?xml", {{grant_a + "<?xml", 0}}},
    {"TruncatedLastDocumentIsKept", grant_a + "<?xml version=\"1.0\"?>\n<us-pat",
     {{grant_a, 0}, {"<?xml version=\"1.0\"?>\n<us-pat", grant_a.size()}}},
    {"EmptyInput", "", {}},
    {"BlankInput", " \n\t\n", {}},
    {"ApsPatentsAfterHeader", "HHHHHT APS1\nPATN\nWKU  039305847\nPATN\r\nWKU  D02512345\r\n",
     {{"PATN\nWKU  039305847\n", 12}, {"PATN\r\nWKU  D02512345\r\n", 32}}},
    {"ApsWithoutHeader", "PATN\nWKU  1\nPATN  \nWKU  2", {{"PATN\nWKU  1\n", 0}, {"PATN  \nWKU  2", 12}}},
    {"ApsContinuationLineIsNoBoundary", "PATN\nTTL  A\n     PATN\n", {{"PATN\nTTL  A\n     PATN\n", 0}}},
    {"ApsFieldsBeforeFirstPatentLineAreKept", "HHHHHT APS1\nWKU  1\nPATN\nWKU  2\n",
     {{"HHHHHT APS1\nWKU  1\n", 0}, {"PATN\nWKU  2\n", 19}}},
    {"ApsHeaderOnly", "HHHHHT APS1\n\n", {}},
    {"ApsAfterMultiByteWhiteSpace", "\xE3\x80\x80PATN\nWKU  1\nPATN\nWKU  2\n",
     {{"\xE3\x80\x80PATN\nWKU  1\n", 0}, {"PATN\nWKU  2\n", 15}}},
    {"ApsByteOrderMarkBeforePatentLine", "PATN\nWKU  1\n\xEF\xBB\xBFPATN\nWKU  2\n",
     {{"PATN\nWKU  1\n", 0}, {"\xEF\xBB\xBFPATN\nWKU  2\n", 12}}},
    {"XmlFileIsNotSplitAtPatnLines", "<a>\nPATN\n</a>\n", {{"<a>\nPATN\n</a>\n", 0}}},
};

class Splitting : public testing::TestWithParam<std::tuple<Case, std::size_t>> {};

TEST_P(Splitting, GivesTheSameDocumentsForEveryChunkSize) {
    const auto& [test, chunk] = GetParam();
    EXPECT_EQ(split(test.input, chunk), test.expected);
}

INSTANTIATE_TEST_SUITE_P(Bulk, Splitting,
                         testing::Combine(testing::ValuesIn(cases), testing::Values(1, 2, 5, 6, 4096)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_chunk" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The documents of `range` of `input`, fed from a few bytes before its start
// as the reader does.
std::vector<Piece> split_range(std::string_view input, const ByteRange& range, std::size_t chunk) {
    BulkSplitter whole([](SplitDocument) {});
    whole.feed(input);
    whole.finish();
    std::vector<Piece> pieces;
    BulkSplitter splitter([&](SplitDocument document) { pieces.push_back({std::move(document.text), document.offset}); });
    const std::uint64_t from = range.start - std::min(range.start, range_context);
    splitter.take_range(range, from, whole.layout().value_or(BulkLayout::Xml));
    for (std::size_t at = from; at < input.size() && !splitter.range_ended(); at += chunk)
        splitter.feed(input.substr(at, chunk));
    splitter.finish();
    return pieces;
}

// Cut anywhere into three ranges, an input gives every document once, in
// the range its first byte lies in.
TEST_P(Splitting, RangesThatMeetGiveEveryDocumentOnce) {
    const auto& [test, chunk] = GetParam();
    const std::uint64_t end = test.input.size() + 1;
    for (std::uint64_t first = 0; first <= end; ++first) {
        for (std::uint64_t second = first; second <= end; second += 3) {
            std::vector<Piece> pieces;
            for (const ByteRange range : {ByteRange{0, first}, ByteRange{first, second}, ByteRange{second, end}}) {
                for (Piece& piece : split_range(test.input, range, chunk)) {
                    EXPECT_GE(piece.offset, range.start) << test.name;
                    EXPECT_LT(piece.offset, range.stop) << test.name;
                    pieces.push_back(std::move(piece));
                }
            }
            ASSERT_EQ(pieces, test.expected) << test.name << " cut at " << first << " and " << second;
        }
    }
}

class OversizedDocuments : public testing::TestWithParam<std::size_t> {
protected:
    std::vector<Piece> split_with_limit(const std::string& input) { return split(input, GetParam(), 32, &most_held); }

    // The limit, one chunk, and a line that might still open a patent.
    void expect_bounded_memory() const { EXPECT_LE(most_held, 32 + GetParam() + 4096 + 8); }

    std::size_t most_held = 0;
};

TEST_P(OversizedDocuments, AreReportedBySizeAndTheNextOnesKept) {
    const std::string big = "<?xml version=\"1.0\"?><a>" + std::string(10000, 'x') + "</a>\n";
    const std::string small = "<?xml version=\"1.0\"?><b/>\n";
    EXPECT_EQ(split_with_limit(big + small + big),
              (std::vector<Piece>{{"", 0, big.size()}, {small, big.size()}, {"", big.size() + small.size(), big.size()}}));
    expect_bounded_memory();
}

TEST_P(OversizedDocuments, ByteOrderMarkAfterOneOpensTheNext) {
    const std::string big = "<?xml version=\"1.0\"?><a>" + std::string(10000, 'x') + "</a>\n";
    const std::string small = "\xEF\xBB\xBF<?xml version=\"1.0\"?><b/>\n";
    EXPECT_EQ(split_with_limit(big + small), (std::vector<Piece>{{"", 0, big.size()}, {small, big.size()}}));
    expect_bounded_memory();
}

TEST_P(OversizedDocuments, ApsLongLinesAreNotHeldWhole) {
    const std::string big = "PATN\nPAR  " + std::string(10000, 'z') + "\nPATN  x\n";
    const std::string small = "PATN\nWKU  2\n";
    EXPECT_EQ(split_with_limit(big + small),
              (std::vector<Piece>{{"", 0, big.size()}, {small, big.size()}}));
    expect_bounded_memory();
}

// The last document may be dropped up to its last byte when it ends in a line
// too long to open a patent; it is still reported.
TEST_P(OversizedDocuments, ApsDocumentEndingInALongLineIsReported) {
    const std::string big = "PATN\nWKU  1\nPAR  " + std::string(10000, 'z');
    EXPECT_EQ(split_with_limit(big), (std::vector<Piece>{{"", 0, big.size()}}));
    expect_bounded_memory();
}

// A document of exactly the limit is kept whole, although the bytes that
// show where it ends arrive in a later chunk.
TEST_P(OversizedDocuments, DocumentOfExactlyTheLimitIsKept) {
    const std::string xml = "<?xml version=\"1.0\"?><a>xxx</a>\n";
    const std::string aps = "PATN\nWKU  123456789012345678901\n";
    ASSERT_EQ(xml.size(), 32u);
    ASSERT_EQ(aps.size(), 32u);
    const std::string next_xml = "<?xml version=\"1.0\"?><b/>\n";
    const std::string next_aps = "PATN\nWKU  2\n";
    EXPECT_EQ(split_with_limit(xml + next_xml), (std::vector<Piece>{{xml, 0}, {next_xml, xml.size()}}));
    EXPECT_EQ(split_with_limit(aps + next_aps), (std::vector<Piece>{{aps, 0}, {next_aps, aps.size()}}));
}

// Large documents leave the splitter in the buffer they were read into; the
// documents after them must not notice.
TEST_P(OversizedDocuments, LargeDocumentsTakeTheirBufferAndTheNextOnesFollow) {
    const std::string large = "<?xml version=\"1.0\"?><a>" + std::string(3, 'x') + "</a>\n";
    const std::string small = "<?xml version=\"1.0\"?>\n";
    ASSERT_GT(large.size(), 16u);
    ASSERT_LE(large.size(), 32u);
    EXPECT_EQ(split_with_limit(large + small + large + large),
              (std::vector<Piece>{{large, 0},
                                  {small, large.size()},
                                  {large, large.size() + small.size()},
                                  {large, 2 * large.size() + small.size()}}));
}

INSTANTIATE_TEST_SUITE_P(Chunks, OversizedDocuments, testing::Values(1, 7, 64, 1 << 16));

// Growing a buffer copies it, holding it twice for a moment; a document that
// may reach the limit gets the room for it once, and gives it back.
TEST(BulkSplitter, RoomForALargeDocumentIsSetAsideOnceAndGivenBack) {
    constexpr std::size_t limit = 8 << 20;
    constexpr std::size_t chunk = 1 << 16;
    const std::string large = "<?xml version=\"1.0\"?><a>" + std::string(limit - 100, 'x') + "</a>\n";
    const std::string oversized = "<?xml version=\"1.0\"?><a>" + std::string(3 * limit, 'x') + "</a>\n";
    const std::string small = "<?xml version=\"1.0\"?><b/>\n";
    const std::string input = oversized + large + small;
    std::vector<std::uint64_t> sizes;
    BulkSplitter splitter([&](SplitDocument document) { sizes.push_back(document.size); }, limit);
    std::size_t most_reserved = 0;
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        splitter.feed(std::string_view(input).substr(at, chunk));
        most_reserved = std::max(most_reserved, splitter.reserved_bytes());
    }
    EXPECT_LT(splitter.reserved_bytes(), std::size_t{1} << 20);
    splitter.finish();
    EXPECT_EQ(sizes, (std::vector<std::uint64_t>{oversized.size(), large.size(), small.size()}));
    EXPECT_LE(most_reserved, limit + (2 << 20));
}

TEST(BulkSplitter, XmlLayoutIsKnownBeforeTheFirstLineEnds) {
    BulkSplitter splitter([](SplitDocument) {});
    splitter.feed("  <us-patent-grant lang=\"EN\"");
    EXPECT_EQ(splitter.layout(), BulkLayout::Xml);
}

TEST(BulkSplitter, ApsLayoutWaitsForTheWholeFirstLine) {
    BulkSplitter splitter([](SplitDocument) {});
    splitter.feed("HHHHHT AP");
    EXPECT_FALSE(splitter.layout());
    splitter.feed("S1\n");
    EXPECT_EQ(splitter.layout(), BulkLayout::Aps);
}

TEST(BulkSplitter, HoldsOnlyTheCurrentDocument) {
    // Each document is handed on as soon as the next one starts.
    std::vector<std::string> seen;
    BulkSplitter splitter([&](SplitDocument document) { seen.push_back(std::move(document.text)); });
    splitter.feed(grant_a + grant_a.substr(0, 8));
    EXPECT_EQ(seen, std::vector<std::string>{grant_a});
}

// A terabyte of zeros, the hole of a sparse file, is counted at once: the
// document it lengthens is reported by its size, and the one after the hole
// keeps its offset.
TEST(BulkSplitter, ZerosPastTheLimitAreCountedNotHeld) {
    std::vector<SplitDocument> seen;
    BulkSplitter splitter([&](SplitDocument document) { seen.push_back(std::move(document)); }, 1 << 20);
    const std::uint64_t hole = std::uint64_t{1} << 40;
    splitter.feed(grant_a);
    splitter.feed_zeros(hole);
    EXPECT_LE(splitter.held_bytes(), std::size_t{1} << 20);
    splitter.feed(grant_b);
    splitter.finish();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].too_large());
    EXPECT_EQ(seen[0].size, grant_a.size() + hole);
    EXPECT_EQ(seen[1].text, grant_b);
    EXPECT_EQ(seen[1].offset, grant_a.size() + hole);
}

}  // namespace
}  // namespace quillmark::bulk
