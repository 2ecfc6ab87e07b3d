// Feeds any text straight to the APS record reader, past detection. Any text
// reads, or fails with one of the reader's two messages.
#include "fuzz/checks.hpp"
#include "source/parsers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    return fuzz::run_parser(
        data, size,
        [](std::string_view text) {
            ParseResult result = read_aps(text);
            if (!result) {
                const std::string message = result.error().message();
                fuzz::require(message == "APS record has no recognizable tagged fields" ||
                                  message == "APS record missing WKU (patent number)",
                              "APS reading failed with another message", message);
            }
            return result;
        },
        SourceFormat::UsptoGrantApsGreenBook);
}
