#include "binding/arrow_schema.hpp"

#include <iterator>

namespace quillmark::arrow {

namespace {

using Text = std::type_identity<OptionalText>;

ArrowErrorCode set_column_type(ArrowSchema* column, Text) { return ArrowSchemaSetType(column, NANOARROW_TYPE_STRING); }
ArrowErrorCode set_column_type(ArrowSchema* column, std::type_identity<std::string_view>) {
    return set_column_type(column, Text{});
}
ArrowErrorCode set_column_type(ArrowSchema* column, std::type_identity<std::vector<std::string>>) {
    NANOARROW_RETURN_NOT_OK(ArrowSchemaSetType(column, NANOARROW_TYPE_LIST));
    return set_column_type(column->children[0], Text{});
}

// A list of structs whose fields are named by `names`, each set by `set_field`.
template <class SetField>
ArrowErrorCode set_struct_list(ArrowSchema* column, std::span<const char* const> names, SetField set_field) {
    NANOARROW_RETURN_NOT_OK(ArrowSchemaSetType(column, NANOARROW_TYPE_LIST));
    ArrowSchema* item = column->children[0];
    NANOARROW_RETURN_NOT_OK(ArrowSchemaSetTypeStruct(item, static_cast<int64_t>(names.size())));
    for (std::size_t i = 0; i < names.size(); ++i) {
        NANOARROW_RETURN_NOT_OK(ArrowSchemaSetName(item->children[i], names[i]));
        NANOARROW_RETURN_NOT_OK(set_field(item->children[i], i));
    }
    return NANOARROW_OK;
}

constexpr const char* claim_fields[] = {"number", "text"};

ArrowErrorCode set_column_type(ArrowSchema* column, std::type_identity<std::vector<Claim>>) {
    return set_struct_list(column, claim_fields, [](ArrowSchema* field, std::size_t i) {
        return i == 0 ? ArrowSchemaSetType(field, NANOARROW_TYPE_INT32) : set_column_type(field, Text{});
    });
}

ArrowErrorCode set_column_type(ArrowSchema* column, std::type_identity<std::vector<Citation>>) {
    const char* names[std::size(citation_fields)];
    for (std::size_t i = 0; i < std::size(citation_fields); ++i) names[i] = citation_fields[i].name;
    return set_struct_list(column, names, [](ArrowSchema* field, std::size_t) { return set_column_type(field, Text{}); });
}

ArrowErrorCode set_getter_type(ArrowSchema* column, const Getter& getter) {
    return std::visit(
        [column](auto read) {
            return set_column_type(column, std::type_identity<typename getter_value<decltype(read)>::type>{});
        },
        getter.read);
}

// A column that always has a value.
void set_required(ArrowSchema* column) { column->flags &= ~ARROW_FLAG_NULLABLE; }

}  // namespace

std::string markdown_column(Flavor flavor) {
    if (flavor == Flavor::Default) return "markdown";
    return "markdown_" + std::string(flavor_entry(flavor).name);
}

ArrowErrorCode make_batch_schema(ArrowSchema* schema, std::span<const Flavor> flavors) {
    const std::size_t columns = std::size(place_columns) + std::size(document_getters) + flavors.size();
    ArrowSchemaInit(schema);
    NANOARROW_RETURN_NOT_OK(ArrowSchemaSetTypeStruct(schema, static_cast<int64_t>(columns)));
    set_required(schema);
    ArrowSchema** column = schema->children;
    for (const PlaceColumn& place : place_columns) {
        NANOARROW_RETURN_NOT_OK(ArrowSchemaSetName(*column, place.name));
        NANOARROW_RETURN_NOT_OK(ArrowSchemaSetType(*column, place.type));
        if (!place.nullable) set_required(*column);
        ++column;
    }
    for (const Getter& getter : document_getters) {
        NANOARROW_RETURN_NOT_OK(ArrowSchemaSetName(*column, getter.name));
        NANOARROW_RETURN_NOT_OK(set_getter_type(*column++, getter));
    }
    for (Flavor flavor : flavors) {
        NANOARROW_RETURN_NOT_OK(ArrowSchemaSetName(*column, markdown_column(flavor).c_str()));
        NANOARROW_RETURN_NOT_OK(ArrowSchemaSetType(*column++, NANOARROW_TYPE_STRING));
    }
    return NANOARROW_OK;
}

}  // namespace quillmark::arrow
