// Any template text against one fixed, fully populated grant.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

#include "fuzz/checks.hpp"
#include "source/parsers.hpp"

namespace {

const quillmark::Document* fixed_document = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::ifstream file(QUILLMARK_FUZZ_DOCUMENT, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto parsed = quillmark::parse_document(text);
    if (!parsed) quillmark::fuzz::fail("the fixed document does not parse", QUILLMARK_FUZZ_DOCUMENT);
    fixed_document = new quillmark::Document(std::move(parsed).value());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    const std::string_view text = fuzz::as_text(data, size);
    const bool utf8 = fuzz::is_valid_utf8(text);
    const auto segments = parse_template(text);
    const auto markdown = render_markdown_with_template(*fixed_document, text);
    fuzz::require(segments.ok() == markdown.ok(), "template parse and render disagree");
    if (!markdown) {
        const TemplateError& error = markdown.error();
        fuzz::require(segments.error().kind == error.kind && segments.error().name == error.name,
                      "template errors disagree");
        if (error.kind == TemplateError::Kind::UnknownPlaceholder)
            fuzz::require(text.find("{{" ) != std::string_view::npos, "unknown placeholder without braces");
        fuzz::check_error_message(error.message(), utf8);
        return 0;
    }
    // A template without placeholders renders as its own text, collapsed
    // and trimmed, each terminal control three bytes (U+FFFD); with them,
    // every literal stays in place.
    bool literal_only = true;
    for (const TemplateSegment& segment : segments.value())
        if (segment.index() != 0) literal_only = false;
    const auto controls = static_cast<std::size_t>(std::count_if(text.begin(), text.end(), fuzz::is_terminal_control));
    if (literal_only)
        fuzz::require(markdown.value().size() <= text.size() + 2 * controls, "literal template grew");
    fuzz::check_rendering(markdown.value(), utf8);
    return 0;
}
