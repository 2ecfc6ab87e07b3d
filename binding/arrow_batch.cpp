#include "binding/arrow_batch.hpp"

#include <iterator>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "model/text/utf8.hpp"

namespace quillmark::arrow {

namespace {

// Out of memory is the only failure appending should meet: the text a batch
// holds is kept under the offsets' limit by whoever adds the rows.
void check(ArrowErrorCode code) {
    if (code == ENOMEM) throw std::bad_alloc();
    if (code != NANOARROW_OK) throw std::runtime_error("Arrow batch: error " + std::to_string(code));
}

class ValueAppender {
public:
    explicit ValueAppender(std::size_t& text_bytes) : text_bytes_(text_bytes) {}

    void text(ArrowArray* column, std::string_view value) {
        check(ArrowArrayAppendString(column, {value.data(), static_cast<int64_t>(value.size())}));
        text_bytes_ += value.size();
    }
    void operator()(ArrowArray* column, std::string_view value) { text(column, value); }
    void operator()(ArrowArray* column, const OptionalText& value) {
        if (value)
            text(column, *value);
        else
            check(ArrowArrayAppendNull(column, 1));
    }
    void operator()(ArrowArray* column, const std::vector<std::string>& values) {
        for (const std::string& value : values) text(column->children[0], value);
        check(ArrowArrayFinishElement(column));
    }
    void operator()(ArrowArray* column, const std::vector<Claim>& values) {
        ArrowArray* item = column->children[0];
        for (const Claim& claim : values) {
            check(ArrowArrayAppendInt(item->children[0], claim.number));
            text(item->children[1], claim.text);
            check(ArrowArrayFinishElement(item));
        }
        check(ArrowArrayFinishElement(column));
    }
    void operator()(ArrowArray* column, const std::vector<Citation>& values) {
        ArrowArray* item = column->children[0];
        for (const Citation& citation : values) {
            for (std::size_t i = 0; i < std::size(citation_fields); ++i)
                (*this)(item->children[i], citation.*citation_fields[i].value);
            check(ArrowArrayFinishElement(item));
        }
        check(ArrowArrayFinishElement(column));
    }

private:
    std::size_t& text_bytes_;
};

constexpr std::size_t getters_begin = std::size(place_columns);

}  // namespace

BatchBuilder::BatchBuilder(const ArrowSchema& schema) {
    array_.release = nullptr;
    check(ArrowSchemaDeepCopy(&schema, schema_.get()));
    start();
}

BatchBuilder::~BatchBuilder() {
    if (array_.release) array_.release(&array_);
}

void BatchBuilder::start() {
    if (array_.release) array_.release(&array_);
    check(ArrowArrayInitFromSchema(&array_, schema_.get(), nullptr));
    check(ArrowArrayStartAppending(&array_));
    text_bytes_ = 0;
}

void BatchBuilder::add_place(const RowPlace& place, std::string_view error) {
    ValueAppender append(text_bytes_);
    // A path is bytes; a column of text holds UTF-8 alone.
    if (is_valid_utf8(place.source))
        append.text(array_.children[0], place.source);
    else
        append.text(array_.children[0], repair_utf8(place.source));
    check(ArrowArrayAppendInt(array_.children[1], static_cast<int64_t>(place.index)));
    check(ArrowArrayAppendInt(array_.children[2], static_cast<int64_t>(place.offset)));
    if (error.empty())
        check(ArrowArrayAppendNull(array_.children[3], 1));
    else if (is_valid_utf8(error))
        append.text(array_.children[3], error);
    else
        append.text(array_.children[3], repair_utf8(error));
}

void BatchBuilder::end_row() { check(ArrowArrayFinishElement(&array_)); }

void BatchBuilder::add_row(const RowPlace& place, const Row& row) {
    add_place(place, {});
    ValueAppender append(text_bytes_);
    ArrowArray** column = array_.children + getters_begin;
    for (const GetterValue& value : row.values) std::visit([&](const auto& held) { append(*column++, held); }, value);
    for (const std::string& markdown : row.markdowns) append.text(*column++, markdown);
    end_row();
}

void BatchBuilder::add_error(const RowPlace& place, std::string_view error) {
    add_place(place, error);
    for (auto column = static_cast<int64_t>(getters_begin); column < array_.n_children; ++column)
        check(ArrowArrayAppendNull(array_.children[column], 1));
    end_row();
}

void BatchBuilder::finish(ArrowArray* out) {
    check(ArrowArrayFinishBuildingDefault(&array_, nullptr));
    ArrowArrayMove(&array_, out);
    start();
}

}  // namespace quillmark::arrow
