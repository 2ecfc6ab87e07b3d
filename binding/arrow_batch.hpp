// Appends the rows of read_bulk_arrow, one document's values or one error at
// a time, to the Arrow buffers of a record batch (nanoarrow). No Python here.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "binding/arrow_row.hpp"
#include "binding/arrow_schema.hpp"

namespace quillmark::arrow {

// Where a row's document, or the error of a file or member, was found.
struct RowPlace {
    std::string_view source;
    std::size_t index = 0;
    std::uint64_t offset = 0;
};

// The text a batch holds in one column is at most this (32-bit offsets).
inline constexpr std::size_t most_batch_text = std::numeric_limits<std::int32_t>::max();

class BatchBuilder {
public:
    // Appends to a struct array of `schema`'s columns (a copy is kept), which
    // make_batch_schema made. Throws std::bad_alloc.
    explicit BatchBuilder(const ArrowSchema& schema);
    BatchBuilder(const BatchBuilder&) = delete;
    BatchBuilder& operator=(const BatchBuilder&) = delete;
    ~BatchBuilder();

    // The row's markdowns are in the order of the schema's Markdown
    // columns. Both throw std::bad_alloc.
    void add_row(const RowPlace& place, const Row& row);
    void add_error(const RowPlace& place, std::string_view error);

    std::int64_t rows() const { return array_.length; }
    // The bytes of text added since the batch began, of all columns together.
    std::size_t text_bytes() const { return text_bytes_; }

    // Moves the rows added so far into `out` as one record batch, and starts
    // the next. Throws std::bad_alloc.
    void finish(ArrowArray* out);

private:
    void start();
    void add_place(const RowPlace& place, std::string_view error);
    void end_row();

    OwnedSchema schema_;
    ArrowArray array_;
    std::size_t text_bytes_ = 0;
};

}  // namespace quillmark::arrow
