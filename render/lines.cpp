#include "render/lines.hpp"

#include "model/text.hpp"

namespace quillmark {

void LineList::push(std::string_view block) {
    const std::string_view trimmed = trim(block);
    if (!trimmed.empty()) entries_.emplace_back(trimmed);
}

void LineList::push_paragraph(std::string_view block) {
    const std::string_view trimmed = trim(block);
    if (trimmed.empty()) return;
    if (!entries_.empty() && !entries_.back().empty()) entries_.emplace_back();
    entries_.emplace_back(trimmed);
}

std::string LineList::finish() const {
    std::size_t first = 0, last = entries_.size();
    while (first < last && entries_[first].empty()) ++first;
    while (last > first && entries_[last - 1].empty()) --last;
    std::size_t size = 0;
    for (std::size_t i = first; i < last; ++i) size += entries_[i].size() + 1;
    std::string out;
    out.reserve(size);
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) out += '\n';
        out += entries_[i];
    }
    return out;
}

std::string join_non_empty(std::vector<std::string> parts) {
    std::string out;
    for (std::string& part : parts) {
        if (part.empty()) continue;
        if (out.empty()) {
            out = std::move(part);  // most documents have one part: it is the result
            continue;
        }
        out += "\n\n";
        out += part;
    }
    return out;
}

}  // namespace quillmark
