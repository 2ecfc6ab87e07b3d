#include "binding/arrow_row.hpp"

#include <type_traits>

#include "render/markdown.hpp"

namespace quillmark::arrow {

namespace {

std::size_t text_bytes_of(const OptionalText& value) { return value ? value->size() : 0; }
std::size_t text_bytes_of(std::string_view value) { return value.size(); }
std::size_t text_bytes_of(const std::vector<std::string>& values) {
    std::size_t bytes = 0;
    for (const std::string& value : values) bytes += value.size();
    return bytes;
}
std::size_t text_bytes_of(const std::vector<Claim>& values) {
    std::size_t bytes = 0;
    for (const Claim& claim : values) bytes += claim.text.size();
    return bytes;
}
std::size_t text_bytes_of(const std::vector<Citation>& values) {
    std::size_t bytes = 0;
    for (const Citation& citation : values)
        for (const CitationField& field : citation_fields) bytes += text_bytes_of(citation.*field.value);
    return bytes;
}

}  // namespace

Row make_row(const Document& document, DocumentSummary&& summary, std::span<const Flavor> flavors) {
    Row row;
    row.values.reserve(std::size(document_getters));
    for (const Getter& getter : document_getters) {
        std::visit(
            [&](auto read) {
                if constexpr (std::is_member_object_pointer_v<decltype(read)>)
                    row.values.emplace_back(std::move(summary.*read));
                else
                    row.values.emplace_back(read(document));
            },
            getter.read);
        row.text_bytes += std::visit([](const auto& value) { return text_bytes_of(value); }, row.values.back());
    }
    row.markdowns.reserve(flavors.size());
    for (Flavor flavor : flavors) {
        row.markdowns.push_back(render_markdown(document, flavor));
        row.text_bytes += row.markdowns.back().size();
    }
    return row;
}

}  // namespace quillmark::arrow
