// The columns of read_bulk_arrow's record batches, made from the getter
// table: where a document was found (`source`, `index`, `offset`), its
// `error`, one column per getter in the table's order, then one Markdown
// column per flavour asked for. No Python here.
#pragma once

#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "model/facts/getters.hpp"
#include "nanoarrow/nanoarrow.h"
#include "render/flavor.hpp"

namespace quillmark::arrow {

// The columns before the getters': where the document was found, and why
// it gave no values.
struct PlaceColumn {
    const char* name;
    ArrowType type;
    bool nullable;
};
inline constexpr PlaceColumn place_columns[] = {{"source", NANOARROW_TYPE_STRING, false},
                                                {"index", NANOARROW_TYPE_INT64, false},
                                                {"offset", NANOARROW_TYPE_INT64, false},
                                                {"error", NANOARROW_TYPE_STRING, true}};

// The Markdown column of a flavour: "markdown" for the default layout,
// "markdown_<name>" for the others.
std::string markdown_column(Flavor flavor);

// The type of what a getter reads: the member's type, or what the function
// returns.
template <class Reader>
struct getter_value;
template <class Value>
struct getter_value<Value DocumentSummary::*> {
    using type = Value;
};
template <class Value>
struct getter_value<Value (*)(const Document&)> {
    using type = Value;
};

// Fills `schema` (the caller releases it) with a struct of every column, a
// record batch's schema; a nanoarrow error code (ENOMEM) on failure.
ArrowErrorCode make_batch_schema(ArrowSchema* schema, std::span<const Flavor> flavors);

// Owns an ArrowSchema and releases it.
class OwnedSchema {
public:
    OwnedSchema() { schema_.release = nullptr; }
    OwnedSchema(const OwnedSchema&) = delete;
    OwnedSchema& operator=(const OwnedSchema&) = delete;
    ~OwnedSchema() {
        if (schema_.release) schema_.release(&schema_);
    }
    ArrowSchema* get() { return &schema_; }
    const ArrowSchema* get() const { return &schema_; }

private:
    ArrowSchema schema_;
};

}  // namespace quillmark::arrow
