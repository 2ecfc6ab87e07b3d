#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/text/text.hpp"
#include "render/lines.hpp"

namespace quillmark {
namespace {

// The list as a list of entries, joined at the end: what the sections'
// layout is defined by, and what LineList writes as it goes.
class EntryModel {
public:
    void push(std::string_view block, bool paragraph) {
        const std::string_view trimmed = trim(block);
        if (trimmed.empty()) return;
        if (paragraph && !entries_.empty() && !entries_.back().empty()) entries_.emplace_back();
        entries_.emplace_back(trimmed);
    }
    void add(std::string_view entry) { entries_.emplace_back(entry); }
    std::string finish() const {
        std::size_t first = 0, last = entries_.size();
        while (first < last && entries_[first].empty()) ++first;
        while (last > first && entries_[last - 1].empty()) --last;
        std::string out;
        for (std::size_t i = first; i < last; ++i) {
            if (i > first) out += '\n';
            out += entries_[i];
        }
        return out;
    }

private:
    std::vector<std::string> entries_;
};

TEST(LineList, BlankEntriesAtTheEndsAreDroppedAndKeptBetween) {
    LineList lines;
    lines.add_blank();
    lines.add("## Claims");
    lines.add_blank();
    lines.add("");
    lines.add("```claim");
    lines.add_blank();
    EXPECT_EQ(lines.finish(), "## Claims\n\n\n```claim");
}

TEST(LineList, ABlankParagraphLeavesNoBlankLineBehind) {
    LineList lines;
    lines.add("## Abstract");
    lines.write_paragraph([](std::string& out) { out += " \n\t "; });
    lines.push("next");
    EXPECT_EQ(lines.finish(), "## Abstract\nnext");
}

TEST(LineList, BlocksAreTrimmedWhereTheyAreWritten) {
    LineList lines;
    lines.write_paragraph([](std::string& out) { out += "  first\n"; });
    lines.write_paragraph([](std::string& out) { out += "\u3000second "; });
    lines.write([](std::string& out) { out += " third"; });
    EXPECT_EQ(lines.finish(), "first\n\nsecond\nthird");
}

TEST(LineList, FinishLeavesAnEmptyList) {
    LineList lines;
    lines.add("one");
    EXPECT_EQ(lines.finish(), "one");
    lines.write_paragraph([](std::string& out) { out += "two"; });
    EXPECT_EQ(lines.finish(), "two");
}

// Random sequences of every operation, against the entry model.
TEST(LineList, WritesWhatTheEntryModelJoins) {
    const std::vector<std::string> blocks = {"", " ", "\n\n", "a", " b ", "c\n", "\n d e \n", "\u00a0f\u00a0"};
    std::mt19937 random(20240517);
    for (int round = 0; round < 2000; ++round) {
        LineList lines;
        EntryModel model;
        const int operations = static_cast<int>(random() % 12);
        for (int i = 0; i < operations; ++i) {
            const std::string& block = blocks[random() % blocks.size()];
            switch (random() % 5) {
                case 0: lines.push(block); model.push(block, false); break;
                case 1:
                    lines.write_paragraph([&block](std::string& out) { out += block; });
                    model.push(block, true);
                    break;
                case 2:
                    lines.write([&block](std::string& out) { out += block; });
                    model.push(block, false);
                    break;
                case 3: lines.add(block); model.add(block); break;
                default: lines.add_blank(); model.add(""); break;
            }
        }
        ASSERT_EQ(lines.finish(), model.finish()) << "round " << round;
    }
}

}  // namespace
}  // namespace quillmark
