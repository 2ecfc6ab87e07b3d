#include "cli/record_json.hpp"

#include <vector>

#include "cli/json.hpp"
#include "model/facts/record.hpp"

namespace quillmark::cli {

namespace {

// Writes the events as compact JSON: a comma before every value of an
// object or list but its first, the key before a value of an object.
class JsonWriter final : public RecordSink {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    void begin_object() override { open('{'); }
    void end_object() override { close('}'); }
    void begin_list() override { open('['); }
    void end_list() override { close(']'); }
    void key(std::string_view name) override {
        separate();
        append_json_string(out_, name);
        out_ += ':';
        keyed_ = true;
    }
    void attribute_key(std::string_view name) override { key(name); }
    void text(std::string_view value) override {
        separate();
        append_json_string(out_, value);
    }
    void number(std::uint64_t value) override {
        separate();
        out_ += std::to_string(value);
    }
    void boolean(bool value) override {
        separate();
        out_ += value ? "true" : "false";
    }
    void null() override {
        separate();
        out_ += "null";
    }
    void file_name(std::string_view name) {
        separate();
        append_json_file_name(out_, name);
    }

private:
    // A value after a key follows it directly; any other value after an
    // earlier one of the same container follows a comma.
    void separate() {
        if (keyed_) {
            keyed_ = false;
            return;
        }
        if (!first_.empty()) {
            if (!first_.back()) out_ += ',';
            first_.back() = false;
        }
    }

    void open(char bracket) {
        separate();
        out_ += bracket;
        first_.push_back(true);
    }

    void close(char bracket) {
        out_ += bracket;
        first_.pop_back();
    }

    std::string& out_;
    std::vector<bool> first_;
    bool keyed_ = false;
};

void write_place(JsonWriter& writer, const DocumentPlace& place) {
    writer.key("source");
    writer.file_name(place.source);
    writer.key("index");
    writer.number(place.index);
    writer.key("offset");
    writer.number(place.offset);
}

}  // namespace

std::string record_json(const DocumentPlace& place, const Document& document) {
    std::string out;
    JsonWriter writer(out);
    writer.begin_object();
    write_place(writer, place);
    writer.key("record");
    write_record(document, summarize(document), writer);
    writer.end_object();
    return out;
}

std::string document_json(const DocumentPlace& place, const Document& document, std::string_view markdown) {
    std::string out;
    out.reserve(markdown.size() * 2 + 1024);
    JsonWriter writer(out);
    writer.begin_object();
    write_place(writer, place);
    write_getters(document, summarize(document), writer);
    writer.key("markdown");
    writer.text(markdown);
    writer.end_object();
    return out;
}

}  // namespace quillmark::cli
