#include "render/lines.hpp"

#include "model/text/text.hpp"

namespace quillmark {

LineList::Opened LineList::open_block(bool paragraph) {
    Opened opened{out_.size(), 0, started_, owed_};
    if (paragraph && started_ && owed_ == 0) owed_ = 1;
    if (started_) out_.append(owed_ + 1, '\n');
    opened.start = out_.size();
    return opened;
}

void LineList::close_block(const Opened& opened) {
    const std::string_view block = std::string_view(out_).substr(opened.start);
    const std::string_view trimmed = trim(block);
    if (trimmed.empty()) {
        out_.resize(opened.size_before);
        started_ = opened.started;
        owed_ = opened.owed;
        return;
    }
    const std::size_t leading = static_cast<std::size_t>(trimmed.data() - block.data());
    out_.resize(opened.start + leading + trimmed.size());
    out_.erase(opened.start, leading);
    started_ = true;
    owed_ = 0;
}

void LineList::push(std::string_view block) {
    write([block](std::string& out) { out += block; });
}

void LineList::add(std::string_view entry) {
    if (entry.empty()) {
        add_blank();
        return;
    }
    if (started_) out_.append(owed_ + 1, '\n');
    out_ += entry;
    started_ = true;
    owed_ = 0;
}

void LineList::add_blank() {
    if (started_) ++owed_;
}

std::string LineList::finish() {
    std::string out = std::move(out_);
    out_.clear();
    started_ = false;
    owed_ = 0;
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
