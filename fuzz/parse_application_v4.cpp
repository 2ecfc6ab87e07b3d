// Feeds any text straight to the application v4 parser, past detection.
#include "fuzz/checks.hpp"
#include "source/parsers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    return fuzz::run_parser(
        data, size, [](std::string_view text) { return parse_application_v4(text, SourceFormat::UsptoApplicationV44); }, SourceFormat::UsptoApplicationV44);
}
