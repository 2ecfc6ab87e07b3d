#include "bulk/input_names.hpp"

#include <algorithm>
#include <array>

namespace quillmark::bulk {

namespace {

bool ends_with_ignoring_case(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char lower, char c) { return c == lower || (c >= 'A' && c <= 'Z' && c - 'A' + 'a' == lower); });
}

}  // namespace

bool is_full_text_name(std::string_view name) {
    constexpr std::array<std::string_view, 3> extensions{".xml", ".txt", ".aps"};
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](std::string_view extension) { return ends_with_ignoring_case(name, extension); });
}

std::optional<ArchiveKind> archive_kind(std::string_view name) {
    if (ends_with_ignoring_case(name, ".zip")) return ArchiveKind::Zip;
    if (ends_with_ignoring_case(name, ".tar") || ends_with_ignoring_case(name, ".tar.gz") ||
        ends_with_ignoring_case(name, ".tgz"))
        return ArchiveKind::Tar;
    if (ends_with_ignoring_case(name, ".gz")) return ArchiveKind::Gzip;
    return std::nullopt;
}

bool is_searched_input_name(std::string_view name) {
    const auto kind = archive_kind(name);
    if (kind == ArchiveKind::Gzip) return is_full_text_name(name.substr(0, name.size() - 3));
    return kind || is_full_text_name(name);
}

}  // namespace quillmark::bulk
