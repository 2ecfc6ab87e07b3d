#include "source/parsers.hpp"

#include "model/text/text.hpp"
#include "source/detect.hpp"

namespace quillmark {

ParseResult parse_document(std::string_view text) {
    auto detected = detect_source_format(text);
    if (!detected) return ParseError::detection(detected.error());
    const SourceFormat format = detected.value();
    // Detection passed over one byte-order mark and, for XML, the white
    // space before the prolog: the parsers start where it looked.
    text = without_byte_order_mark(text);
    if (format != SourceFormat::UsptoGrantApsGreenBook) text = trim_start(text);
    switch (format) {
        case SourceFormat::UsptoApplicationV15:
        case SourceFormat::UsptoApplicationV16: return parse_application_v1x(text, format);
        case SourceFormat::UsptoApplicationV40:
        case SourceFormat::UsptoApplicationV41:
        case SourceFormat::UsptoApplicationV42:
        case SourceFormat::UsptoApplicationV43:
        case SourceFormat::UsptoApplicationV44:
        case SourceFormat::UsptoApplicationV45:
        case SourceFormat::UsptoApplicationV46: return parse_application_v4(text, format);
        case SourceFormat::UsptoGrantV25: return parse_grant_v25(text);
        case SourceFormat::UsptoGrantV40:
        case SourceFormat::UsptoGrantV41:
        case SourceFormat::UsptoGrantV42:
        case SourceFormat::UsptoGrantV43:
        case SourceFormat::UsptoGrantV44:
        case SourceFormat::UsptoGrantV45:
        case SourceFormat::UsptoGrantV46:
        case SourceFormat::UsptoGrantV47: return parse_grant_v4(text, format);
        case SourceFormat::UsptoGrantApsGreenBook: return read_aps(text);
        case SourceFormat::UsptoSequenceCwu: return parse_sequence_cwu(text);
    }
    return ParseError::structure("unknown source format");
}

}  // namespace quillmark
