// Source detection on any text.
#include "fuzz/checks.hpp"
#include "source/detect.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    const std::string_view text = fuzz::as_text(data, size);
    const auto format = detect_source_format(text);
    if (format) {
        fuzz::require(!source_format_name(format.value()).empty(), "format out of range");
        return 0;
    }
    fuzz::check_error_message(format.error().message(), fuzz::is_valid_utf8(text));
    return 0;
}
