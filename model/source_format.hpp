// The closed set of USPTO source formats. The variant name is the text form
// callers see (detect_format, Document.source_format).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quillmark {

enum class SourceFormat : std::uint8_t {
    UsptoApplicationV15,
    UsptoApplicationV16,
    UsptoApplicationV40,
    UsptoApplicationV41,
    UsptoApplicationV42,
    UsptoApplicationV43,
    UsptoApplicationV44,
    UsptoApplicationV45,
    UsptoApplicationV46,
    UsptoGrantV25,
    UsptoGrantV40,
    UsptoGrantV41,
    UsptoGrantV42,
    UsptoGrantV43,
    UsptoGrantV44,
    UsptoGrantV45,
    UsptoGrantV46,
    UsptoGrantV47,
    UsptoGrantApsGreenBook,
    UsptoSequenceCwu,
};

inline constexpr std::size_t source_format_count = 20;

inline constexpr std::array<std::string_view, source_format_count> source_format_names = {
    "UsptoApplicationV15", "UsptoApplicationV16", "UsptoApplicationV40", "UsptoApplicationV41",
    "UsptoApplicationV42", "UsptoApplicationV43", "UsptoApplicationV44", "UsptoApplicationV45",
    "UsptoApplicationV46", "UsptoGrantV25",       "UsptoGrantV40",       "UsptoGrantV41",
    "UsptoGrantV42",       "UsptoGrantV43",       "UsptoGrantV44",       "UsptoGrantV45",
    "UsptoGrantV46",       "UsptoGrantV47",       "UsptoGrantApsGreenBook", "UsptoSequenceCwu",
};

constexpr std::string_view source_format_name(SourceFormat format) {
    return source_format_names[static_cast<std::size_t>(format)];
}

}  // namespace quillmark
