#include "cli/output_names.hpp"

#include <algorithm>

namespace quillmark::cli {

namespace {

constexpr std::size_t longest_stem = 200;

bool is_safe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

}  // namespace

std::string safe_file_stem(std::string_view text) {
    std::string stem(text.substr(0, longest_stem));
    for (char& c : stem)
        if (!is_safe(c)) c = '_';
    if (!stem.empty() && stem.front() == '.') stem.front() = '_';
    return stem;
}

std::string OutputNames::claim(std::string_view stem, std::string_view extension) {
    std::string name = std::string(stem) + std::string(extension);
    if (taken_.insert(lower_case(name)).second) return name;
    unsigned& suffix = next_suffix_.try_emplace(lower_case(name), 2).first->second;
    do {
        name = std::string(stem) + '-' + std::to_string(suffix++) + std::string(extension);
    } while (!taken_.insert(lower_case(name)).second);
    return name;
}

}  // namespace quillmark::cli
