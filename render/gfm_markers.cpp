#include "render/gfm_markers.hpp"

#include <cstring>

#include "render/gfm_characters.hpp"

namespace quillmark {

std::optional<MarkerPositions> wrap(std::string& out, std::size_t start, std::string_view open,
                                    std::string_view close) {
    const std::string_view written = std::string_view(out).substr(start);
    std::size_t lead = 0;
    while (lead < written.size() && written[lead] == ' ') ++lead;
    if (lead == written.size()) return std::nullopt;
    std::size_t trail = 0;
    while (written[written.size() - 1 - trail] == ' ') ++trail;
    // One move of what follows the start, in place.
    const std::size_t core_begin = start + lead;
    const std::size_t core_end = out.size() - trail;
    out.resize(out.size() + open.size() + close.size());
    char* const bytes = out.data();
    std::memmove(bytes + core_end + open.size() + close.size(), bytes + core_end, trail);
    std::memmove(bytes + core_begin + open.size(), bytes + core_begin, core_end - core_begin);
    std::memcpy(bytes + core_begin, open.data(), open.size());
    std::memcpy(bytes + core_end + open.size(), close.data(), close.size());
    return MarkerPositions{core_begin, core_end};
}

// Next to punctuation inside, the character outside must be white space
// or punctuation too; markers next to other markers (bold in italic,
// italic after italic) are read by rules too subtle to rely on.
bool markers_fit(std::string_view out, std::size_t start, char next) {
    const std::string_view written = out.substr(start);
    const std::size_t lead = written.find_first_not_of(' ');
    if (lead == std::string_view::npos) return false;
    const std::size_t trail = written.size() - 1 - written.find_last_not_of(' ');
    const std::size_t core_begin = start + lead;
    const std::size_t core_end = out.size() - trail;
    const char before = core_begin > 0 ? out[core_begin - 1] : ' ';
    const char after = trail > 0 ? ' ' : next;
    const char first = out[core_begin];
    const char last = out[core_end - 1];
    const auto is_marker = [](char c) { return c == '*' || c == '~'; };
    if (is_marker(before) && !(core_begin >= 2 && out[core_begin - 2] == '\\')) return false;
    if (is_marker(after) || is_marker(first)) return false;
    if (is_marker(last) && out[core_end - 2] != '\\') return false;
    if (may_be_punctuation(first) && !is_space_or_punctuation(before)) return false;
    if (may_be_punctuation(last) && !is_space_or_punctuation(after)) return false;
    return true;
}

}  // namespace quillmark
