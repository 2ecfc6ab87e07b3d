// CALS tables (table, tgroup, colspec, thead, tbody, row, entry) as GFM:
// a pipe table for each tgroup, or an HTML table with colspan and rowspan
// where a cell spans columns or rows or holds block content. Rows that
// hold nothing (the rules drawn between parts of a table) are left out.
#pragma once

#include <string>

#include "model/record/node.hpp"

namespace quillmark {

// The content of one cell: Markdown for a pipe table ("|" escaped), HTML
// text for an HTML table.
using CellRenderer = std::string (*)(Node::Ref entry, bool html);

// The tables of `table`, one per tgroup, separated by blank lines.
std::string cals_table_markdown(Node::Ref table, CellRenderer render_cell);

namespace cals_detail {
template <typename Visit>
void visit_rows(Node::Ref node, Visit& visit) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) continue;
        if (child.name() == "row")
            visit(child);
        else if (child.name() == "tgroup" || child.name() == "thead" || child.name() == "tbody" ||
                 child.name() == "tfoot")
            visit_rows(child, visit);
    }
}
}  // namespace cals_detail

// Every row of every tgroup, in order.
template <typename Visit>
void for_each_table_row(Node::Ref table, Visit&& visit) {
    cals_detail::visit_rows(table, visit);
}

}  // namespace quillmark
