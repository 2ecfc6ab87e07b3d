// Feeds any text straight to the APS record reader, past detection.
#include "fuzz/checks.hpp"
#include "source/parsers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    return fuzz::run_parser(
        data, size, [](std::string_view text) { return read_aps(text); }, SourceFormat::UsptoGrantApsGreenBook);
}
