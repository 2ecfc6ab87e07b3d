// What each element name of every USPTO generation is to the GFM writer:
// "sub", "subscript" and ST.32's "SB" are all a subscript, "p", "PARA" and
// "paragraph" all a paragraph. Names the table lacks are transparent: their
// content is written, their tags are not.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillmark {

inline constexpr std::string_view cross_reference_statement = "### Cross-Reference To Related Applications";
inline constexpr std::string_view government_interest_statement = "### Statement Of Government Interest";

enum class ElementRole : std::uint8_t {
    Transparent,
    Subscript,
    Superscript,
    Bold,
    Italic,
    Underline,
    LineBreak,
    Image,
    Math,         // a MathML formula
    MathWrapper,  // a formula with its image ("maths", "math-cwu")
    InlineFormula,
    Table,        // a CALS table
    NumberedTable,  // a table with its number ("table-cwu", "tables")
    Number,         // the number of a table or a sequence listing
    List,
    OrderedList,
    ListItem,
    Paragraph,
    Heading,
    Inserted,
    Deleted,
    SequenceListing,
    Unrendered,  // nothing a reader can use ("colspec" outside a table, file references)
};

ElementRole role_of(std::string_view local_name);

// The heading of a statement a reader keeps as an element of its own
// (ST.32's related applications, the federal research statement of v1.x
// applications); empty for any other name.
std::string_view statement_heading(std::string_view local_name);

}  // namespace quillmark
