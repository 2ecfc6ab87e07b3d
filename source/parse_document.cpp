#include <array>

#include "source/parsers.hpp"

namespace quillmark {

namespace {

using Parser = ParseResult (*)(std::string_view, SourceFormat);

ParseResult application_v1x(std::string_view text, SourceFormat format) { return parse_application_v1x(text, format); }
ParseResult application_v4(std::string_view text, SourceFormat format) { return parse_application_v4(text, format); }
ParseResult grant_v25(std::string_view text, SourceFormat) { return parse_grant_v25(text); }
ParseResult grant_v4(std::string_view text, SourceFormat format) { return parse_grant_v4(text, format); }
ParseResult aps(std::string_view text, SourceFormat) { return read_aps(text); }
ParseResult sequence_cwu(std::string_view text, SourceFormat) { return parse_sequence_cwu(text); }

// Indexed by the SourceFormat ordinal.
constexpr std::array<Parser, source_format_count> parsers = {
    application_v1x, application_v1x,                                                           // V15, V16
    application_v4,  application_v4,  application_v4, application_v4, application_v4, application_v4,
    application_v4,                                                                             // V40..V46
    grant_v25,                                                                                  // V25
    grant_v4,        grant_v4,        grant_v4,        grant_v4,       grant_v4,       grant_v4,
    grant_v4,        grant_v4,                                                                  // V40..V47
    aps,                                                                                        // APS
    sequence_cwu,                                                                               // sequence-cwu
};

}  // namespace

ParseResult parse_document(std::string_view text) {
    auto format = detect_source_format(text);
    if (!format) return ParseError::detection(format.error());
    return parsers[static_cast<std::size_t>(format.value())](text, format.value());
}

}  // namespace quillmark
