// The whole path of parse and parse_to_markdown: detection, the chosen
// parser, the summary and both renderings.
#include "fuzz/checks.hpp"
#include "source/parsers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    const std::string_view text = fuzz::as_text(data, size);
    const bool utf8 = fuzz::is_valid_utf8(text);
    const ParseResult result = parse_document(text);
    if (!result) {
        fuzz::check_error_message(result.error().message(), utf8);
        return 0;
    }
    fuzz::require(result.value().source_format == detect_source_format(text).value(),
                  "record format differs from the detected one");
    fuzz::exercise_document(result.value(), utf8, size);
    return 0;
}
