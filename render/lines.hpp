// The ordered list of lines every Markdown section is built from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

class LineList {
public:
    // Trimmed; nothing when blank.
    void push(std::string_view block);
    // Trimmed; nothing when blank; a blank line first when the list does not
    // already end with one.
    void push_paragraph(std::string_view block);
    // Added exactly as given.
    void add(std::string entry) { entries_.push_back(std::move(entry)); }
    void add_blank() { entries_.emplace_back(); }
    // Drops empty entries at both ends and joins the rest with "\n".
    std::string finish() const;

private:
    std::vector<std::string> entries_;
};

// Joins the non-empty texts with a blank line between them.
std::string join_non_empty(std::vector<std::string> parts);

}  // namespace quillmark
