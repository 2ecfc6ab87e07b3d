#include "model/entities.hpp"

#include <array>
#include <utility>

namespace quillmark {

namespace {

// Order matters: "&amp;" comes eleventh, so the entities after it are decoded
// a second time when they were written escaped.
constexpr std::array<std::pair<std::string_view, std::string_view>, 17> replacements = {{
    {"&lsqb;", "["},
    {"&rsqb;", "]"},
    {"&ldquo;", "\""},
    {"&rdquo;", "\""},
    {"&lsquo;", "'"},
    {"&rsquo;", "'"},
    {"&mdash;", "-"},
    {"&ndash;", "-"},
    {"&apos;", "'"},
    {"&quot;", "\""},
    {"&amp;", "&"},
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&Prime;", "\""},
    {"&prime;", "'"},
    {"&equals;", "="},
    {"&deg;", " deg"},
}};

void replace_all(std::string& text, std::string_view from, std::string_view to) {
    std::size_t pos = text.find(from);
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(text.size());
    std::size_t last = 0;
    while (pos != std::string::npos) {
        out.append(text, last, pos - last);
        out.append(to);
        last = pos + from.size();
        pos = text.find(from, last);
    }
    out.append(text, last, std::string::npos);
    text = std::move(out);
}

}  // namespace

void append_decoded(std::string& out, std::string_view text) {
    if (text.find('&') == std::string_view::npos) {
        out.append(text);
        return;
    }
    std::string work(text);
    for (const auto& [from, to] : replacements) {
        if (work.find('&') == std::string::npos) break;  // nothing left to match
        replace_all(work, from, to);
    }
    out.append(work);
}

std::string decode_entities(std::string_view text) {
    std::string out;
    append_decoded(out, text);
    return out;
}

}  // namespace quillmark
