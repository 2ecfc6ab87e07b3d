// Feeds any text straight to the sequence cwu parser, past detection.
#include "fuzz/checks.hpp"
#include "source/parsers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    return fuzz::run_parser(
        data, size, [](std::string_view text) { return parse_sequence_cwu(text); }, SourceFormat::UsptoSequenceCwu);
}
