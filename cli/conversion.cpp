#include "cli/conversion.hpp"

#include <new>

#include "bulk/input_reader.hpp"
#include "cli/record_json.hpp"
#include "model/facts/summary.hpp"
#include "render/markdown.hpp"
#include "source/detect.hpp"
#include "source/parsers.hpp"

namespace quillmark::cli {

namespace {

Outcome failure(std::string message) {
    Outcome outcome;
    outcome.error = std::move(message);
    return outcome;
}

std::string render(const Document& document, const ConversionSettings& settings) {
    if (!settings.template_text) return render_markdown(document, settings.flavor);
    // The template was parsed once before the run, so it cannot fail here.
    return render_markdown_with_template(document, *settings.template_text, settings.flavor).value();
}

Outcome convert(std::string_view text, const DocumentPlace& place, const ConversionSettings& settings) {
    if (auto problem = bulk::invalid_utf8_message(text)) return failure(std::move(*problem));
    auto parsed = parse_document(text);
    if (!parsed) return failure(parsed.error().message());
    const Document& document = parsed.value();
    Outcome outcome;
    outcome.ok = true;
    if (settings.format == OutputFormat::Record) {
        outcome.payload = record_json(place, document);
        return outcome;
    }
    std::string markdown = render(document, settings);
    if (settings.format == OutputFormat::JsonLines) {
        outcome.payload = document_json(place, document, markdown);
        return outcome;
    }
    outcome.payload = std::move(markdown);
    PublicationIdentifier identifier = publication_identifier(document);
    if (identifier.publication_number)
        outcome.number = std::move(*identifier.publication_number);
    else if (identifier.patent_number)
        outcome.number = std::move(*identifier.patent_number);
    return outcome;
}

}  // namespace

Outcome convert_document(std::string_view text, const DocumentPlace& place, const ConversionSettings& settings) {
    try {
        return convert(text, place, settings);
    } catch (const std::bad_alloc&) {
        return failure("out of memory");
    }
}

Outcome detect_document(std::string_view text) {
    if (auto problem = bulk::invalid_utf8_message(text)) return failure(std::move(*problem));
    const auto format = detect_source_format(text);
    if (!format) return failure(format.error().message());
    Outcome outcome;
    outcome.ok = true;
    outcome.payload = source_format_name(format.value());
    return outcome;
}

}  // namespace quillmark::cli
