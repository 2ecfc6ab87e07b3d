// The `key: value` lines both front matters are made of, each value written
// as a YAML scalar by the flavour's own rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/facts/bibliographic_values.hpp"
#include "render/lines.hpp"

namespace quillmark {

class FrontMatterLines {
public:
    // Appends a present value to a line as the flavour writes scalars.
    using ScalarWriter = void (*)(std::string& line, std::string_view value);

    explicit FrontMatterLines(ScalarWriter write_scalar) : write_scalar_(write_scalar) {}

    // "key: value", or "key: null" for an absent value.
    void scalar(std::string_view key, const OptionalText& value);
    // "key: []", or "key:" and one "  - item" line per item.
    void list(std::string_view key, const std::vector<std::string>& values);
    // "priority_chain: []", or "priority_chain:" and four lines per link,
    // the numbers in their written form.
    void priority_chain(const std::vector<PriorityLink>& chain);
    // The opening "---" and the lines both flavours start with: filing date,
    // application number, publication number, publication date, patent
    // number.
    void open(const Document& document, const PublicationIdentifier& identifier);
    // A line as given.
    void add(std::string_view line) { lines_.add(line); }
    // The lines between "---" lines.
    std::string finish();

private:
    ScalarWriter write_scalar_;
    LineList lines_;
};

}  // namespace quillmark
