// The whole parsed record as plain data: objects, lists, texts, numbers,
// booleans and nulls, in source order, followed by the values of the
// Document getters under their names. A sink receives it as a stream of events,
// so the Python binding builds dicts and lists from it and the command writes
// JSON, both from the same walk. schema/record.schema.json describes it.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/record/document.hpp"
#include "model/facts/summary.hpp"

namespace quillmark {

class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void begin_object() = 0;
    // The next value's key, a name of the walk's own vocabulary: a literal
    // that lives as long as the program, at the same address every time.
    virtual void key(std::string_view name) = 0;
    // The next value's key when it is an attribute's qualified name, valid
    // only during the call.
    virtual void attribute_key(std::string_view name) { key(name); }
    virtual void end_object() = 0;
    virtual void begin_list() = 0;
    virtual void end_list() = 0;
    virtual void text(std::string_view value) = 0;
    // A text of the walk's own vocabulary (the "type" of an object), a
    // literal as the keys are.
    virtual void symbol(std::string_view value) { text(value); }
    virtual void number(std::uint64_t value) = 0;
    virtual void boolean(bool value) = 0;
    virtual void null() = 0;
};

void write_record(const Document& document, const DocumentSummary& summary, RecordSink& sink);
// Only the getters' part: each getter's name and value (model/getters.hpp),
// into an object the caller has begun and ends.
void write_getters(const Document& document, const DocumentSummary& summary, RecordSink& sink);

}  // namespace quillmark
