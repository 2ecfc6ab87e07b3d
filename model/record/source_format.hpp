// The closed set of USPTO source formats. The variant name is the text form
// callers see (detect_format, Document.source_format).
#pragma once

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

// The variant's name, spelled as the enumerator.
constexpr std::string_view source_format_name(SourceFormat format) {
    switch (format) {
        case SourceFormat::UsptoApplicationV15: return "UsptoApplicationV15";
        case SourceFormat::UsptoApplicationV16: return "UsptoApplicationV16";
        case SourceFormat::UsptoApplicationV40: return "UsptoApplicationV40";
        case SourceFormat::UsptoApplicationV41: return "UsptoApplicationV41";
        case SourceFormat::UsptoApplicationV42: return "UsptoApplicationV42";
        case SourceFormat::UsptoApplicationV43: return "UsptoApplicationV43";
        case SourceFormat::UsptoApplicationV44: return "UsptoApplicationV44";
        case SourceFormat::UsptoApplicationV45: return "UsptoApplicationV45";
        case SourceFormat::UsptoApplicationV46: return "UsptoApplicationV46";
        case SourceFormat::UsptoGrantV25: return "UsptoGrantV25";
        case SourceFormat::UsptoGrantV40: return "UsptoGrantV40";
        case SourceFormat::UsptoGrantV41: return "UsptoGrantV41";
        case SourceFormat::UsptoGrantV42: return "UsptoGrantV42";
        case SourceFormat::UsptoGrantV43: return "UsptoGrantV43";
        case SourceFormat::UsptoGrantV44: return "UsptoGrantV44";
        case SourceFormat::UsptoGrantV45: return "UsptoGrantV45";
        case SourceFormat::UsptoGrantV46: return "UsptoGrantV46";
        case SourceFormat::UsptoGrantV47: return "UsptoGrantV47";
        case SourceFormat::UsptoGrantApsGreenBook: return "UsptoGrantApsGreenBook";
        case SourceFormat::UsptoSequenceCwu: return "UsptoSequenceCwu";
    }
    return {};
}

}  // namespace quillmark
