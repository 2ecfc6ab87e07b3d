// What a kept element is to a reader of the document, whatever a
// generation names it: ST.32's "SB", v1.x's "subscript" and v4's "sub" are
// all a subscript. The reader of each generation gives every kept element
// its role when it builds the record; the element keeps its name as well,
// for writing it back as it came. An element without a role is
// transparent: its content counts, its tags do not.
#pragma once

#include <cstdint>

namespace quillmark {

enum class ElementRole : std::uint8_t {
    Transparent,
    Subscript,
    Superscript,
    Bold,
    Italic,
    Underline,
    LineBreak,
    Image,
    Math,           // a MathML formula
    MathWrapper,    // a formula with its image
    InlineFormula,  // a formula within the text
    Table,          // a CALS table
    NumberedTable,  // a table with its number
    Number,         // the number of a table or a sequence listing
    List,
    OrderedList,
    ListItem,
    Paragraph,
    Heading,
    Inserted,
    Deleted,
    SequenceListing,
    Unrendered,  // nothing a reader can use (column specs outside a table, file references)
    // Transparent, and a statement of its own: the related applications,
    // the government's interest in the invention.
    CrossReferenceStatement,
    GovernmentInterestStatement,
};

}  // namespace quillmark
