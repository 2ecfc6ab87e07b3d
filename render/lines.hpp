// The ordered list of lines every Markdown section is built from, written
// into the section's string as they come: entries are joined with "\n", and
// blank entries at either end are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

class LineList {
public:
    // Trimmed; nothing when blank.
    void push(std::string_view block);
    // The same for a block that `write_block(std::string&)` appends to the
    // section's string itself, so that it is not built apart and copied.
    template <typename Write>
    void write(Write&& write_block) {
        const Opened opened = open_block(false);
        write_block(out_);
        close_block(opened);
    }
    // As `write`, with a blank line first when the list does not already end
    // with one.
    template <typename Write>
    void write_paragraph(Write&& write_block) {
        const Opened opened = open_block(true);
        write_block(out_);
        close_block(opened);
    }
    void reserve(std::size_t bytes) { out_.reserve(bytes); }
    // Added exactly as given.
    void add(std::string_view entry);
    void add_blank();
    // The joined lines; the list is left empty.
    std::string finish();

private:
    // Where a block started, and the state to return to when it is blank.
    struct Opened {
        std::size_t size_before;
        std::size_t start;
        bool started;
        std::size_t owed;
    };
    Opened open_block(bool paragraph);
    void close_block(const Opened& opened);

    std::string out_;
    bool started_ = false;  // a non-empty entry has been written
    std::size_t owed_ = 0;  // blank entries since the last non-empty one
};

// Joins the non-empty texts with a blank line between them.
std::string join_non_empty(std::vector<std::string> parts);

}  // namespace quillmark
