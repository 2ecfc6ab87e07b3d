// One document's values for read_bulk_arrow, computed on the thread that
// parsed it: every getter's value in the getter table's order and the
// Markdown of each flavour asked for. The record itself is not kept. No
// Python here.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/facts/getters.hpp"
#include "render/flavor.hpp"

namespace quillmark::arrow {

// What a getter can read (getter_value of each kind of reader).
using GetterValue = std::variant<OptionalText, std::vector<std::string>, std::vector<Citation>, std::string_view,
                                 std::vector<Claim>>;

struct Row {
    std::vector<GetterValue> values;  // one per getter
    std::vector<std::string> markdowns;  // one per flavour
    std::size_t text_bytes = 0;  // of all the values together
};

// Takes what it can of `summary`, which is left emptied.
Row make_row(const Document& document, DocumentSummary&& summary, std::span<const Flavor> flavors);

}  // namespace quillmark::arrow
