// Invariants every fuzz target asserts on what the core returns. A broken
// invariant aborts, so libFuzzer keeps the input as a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/utf8.hpp"
#include "model/document.hpp"
#include "model/summary.hpp"
#include "model/text.hpp"
#include "render/markdown.hpp"
#include "source/parse_error.hpp"

namespace quillmark::fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "invariant broken: %s: %.*s\n", what, static_cast<int>(detail.size() > 200 ? 200 : detail.size()),
                 detail.data());
    std::abort();
}

inline void require(bool condition, const char* what, std::string_view detail = {}) {
    if (!condition) fail(what, detail);
}

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Every str the binding hands back is decoded as strict UTF-8, so an output
// that is not would surface as a UnicodeDecodeError in the caller.
using quillmark::is_valid_utf8;

// What the binding turns into a Python str must decode there.
inline void require_utf8(bool input_is_utf8, std::string_view text, const char* what) {
    if (input_is_utf8) require(is_valid_utf8(text), what, text);
}

// A rendering as the template pass leaves it: trimmed, no run of three
// line feeds.
inline void check_rendering(std::string_view markdown, bool input_is_utf8) {
    require_utf8(input_is_utf8, markdown, "rendering is not UTF-8");
    require(trim(markdown).size() == markdown.size(), "rendering is not trimmed");
    require(markdown.find("\n\n\n") == std::string_view::npos, "rendering keeps three line feeds");
}

inline void check_optional(const OptionalText& value, bool input_is_utf8, const char* what) {
    if (value) require_utf8(input_is_utf8, *value, what);
}

// Everything the Python Document object derives from a record, as its
// getters, claims and to_markdown would compute it.
inline void exercise_document(const Document& document, bool input_is_utf8) {
    const DocumentSummary summary = summarize(document);
    for (const auto* list : {&summary.applicants, &summary.assignees, &summary.inventors,
                             &summary.ipc_classifications, &summary.us_classifications})
        for (const std::string& value : *list) require_utf8(input_is_utf8, value, "summary list entry");
    for (const OptionalText* value : {&summary.publication_number, &summary.patent_number, &summary.publication_date,
                                      &summary.application_number, &summary.filing_date, &summary.title,
                                      &summary.priority_date})
        check_optional(*value, input_is_utf8, "summary field");

    check_optional(abstract_text(document), input_is_utf8, "abstract text");
    std::uint32_t expected = 1;
    for (const Claim& claim : claims(document)) {
        require(claim.number == expected++, "claims are not numbered 1, 2, ...");
        require(!claim.text.empty() && trim(claim.text).size() == claim.text.size(), "claim text is not trimmed",
                claim.text);
        require_utf8(input_is_utf8, claim.text, "claim text");
    }
    check_rendering(render_markdown(document), input_is_utf8);
}

// Error messages quote pieces of the input (root names, the XML library's
// descriptions); they become the ValueError argument.
inline void check_error_message(std::string_view message, bool input_is_utf8) {
    require(!message.empty(), "empty error message");
    require_utf8(input_is_utf8, message, "error message is not UTF-8");
}

// One parser entry fed directly, then everything downstream of it.
template <class Parser>
int run_parser(const std::uint8_t* data, std::size_t size, Parser parser, SourceFormat format) {
    const std::string_view text = as_text(data, size);
    const bool utf8 = is_valid_utf8(text);
    const ParseResult result = parser(text);
    if (!result) {
        check_error_message(result.error().message(), utf8);
        return 0;
    }
    require(result.value().source_format == format, "parser reports another source format");
    exercise_document(result.value(), utf8);
    return 0;
}

}  // namespace quillmark::fuzz
