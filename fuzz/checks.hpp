// Invariants every fuzz target asserts on what the core returns. A broken
// invariant aborts, so libFuzzer keeps the input as a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/text/utf8.hpp"
#include "model/record/document.hpp"
#include "model/facts/record.hpp"
#include "model/facts/summary.hpp"
#include "model/text/text.hpp"
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

// A control character a terminal acts on: C0 but tab and line feed, and DEL.
inline bool is_terminal_control(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F;
}

// One a rendering may not hold: any but a carriage return before a line feed.
inline bool holds_terminal_control(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); ++pos)
        if (is_terminal_control(text[pos]) && !(text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n'))
            return true;
    return false;
}

// A rendering as the template pass leaves it: trimmed, no run of three
// line feeds, no terminal control.
inline void check_rendering(std::string_view markdown, bool input_is_utf8) {
    require_utf8(input_is_utf8, markdown, "rendering is not UTF-8");
    require(trim(markdown).size() == markdown.size(), "rendering is not trimmed");
    require(markdown.find("\n\n\n") == std::string_view::npos, "rendering keeps three line feeds");
    require(!holds_terminal_control(markdown), "rendering holds a terminal control", markdown);
}

// Output in proportion to the input, whatever its attributes and nesting.
inline void check_in_proportion(std::string_view markdown, std::size_t input_size) {
    require(markdown.size() <= 100 * input_size + 10'000, "rendering out of proportion to its input");
}

// The record walk behind to_dict and --format record: objects and lists
// close in the order they open, every key sits in an object, and every text
// the binding turns into a str is UTF-8.
class RecordCheck final : public RecordSink {
public:
    explicit RecordCheck(bool input_is_utf8) : input_is_utf8_(input_is_utf8) {}
    void begin_object() override { value_(); open_.push_back('{'); }
    void key(std::string_view name) override {
        require(!open_.empty() && open_.back() == '{' && !keyed_, "record key outside an object");
        require_utf8(input_is_utf8_, name, "record key is not UTF-8");
        keyed_ = true;
    }
    void end_object() override { close_('{'); }
    void begin_list() override { value_(); open_.push_back('['); }
    void end_list() override { close_('['); }
    void text(std::string_view value) override { value_(); require_utf8(input_is_utf8_, value, "record text"); }
    void number(std::uint64_t) override { value_(); }
    void boolean(bool) override { value_(); }
    void null() override { value_(); }
    void finish() const { require(open_.empty() && !keyed_, "record left open"); }

private:
    void value_() {
        require(open_.empty() || open_.back() == '[' || keyed_, "record value in an object without a key");
        keyed_ = false;
    }
    void close_(char opened) {
        require(!open_.empty() && open_.back() == opened && !keyed_, "record closes what it did not open");
        open_.pop_back();
    }
    bool input_is_utf8_;
    bool keyed_ = false;
    std::string open_;
};

// Everything the Python Document object derives from a record, as its
// getters, claims, to_markdown and to_dict would compute it.
inline void exercise_document(const Document& document, bool input_is_utf8, std::size_t input_size) {
    // The walk writes the value of every getter too (model/getters.hpp).
    RecordCheck record(input_is_utf8);
    write_record(document, summarize(document), record);
    record.finish();

    std::uint32_t expected = 1;
    for (const Claim& claim : claims(document)) {
        require(claim.number == expected++, "claims are not numbered 1, 2, ...");
        require(!claim.text.empty() && trim(claim.text).size() == claim.text.size(), "claim text is not trimmed",
                claim.text);
        require_utf8(input_is_utf8, claim.text, "claim text");
    }
    for (const Flavor flavor : {Flavor::Default, Flavor::Gfm}) {
        const std::string markdown = render_markdown(document, flavor);
        check_rendering(markdown, input_is_utf8);
        check_in_proportion(markdown, input_size);
    }
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
    exercise_document(result.value(), utf8, size);
    return 0;
}

}  // namespace quillmark::fuzz
