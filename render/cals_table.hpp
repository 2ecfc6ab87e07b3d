// CALS tables (table, tgroup, colspec, thead, tbody, row, entry) as GFM.
// One source table gives one table: its tgroups join into one pipe table
// when they have the same number of columns, whose header row is the first
// tgroup's thead rows (an empty header row where there is no thead); an
// HTML table with colspan and rowspan is written instead where a cell spans
// columns or rows or holds block content, where tgroups differ in their
// columns or a later tgroup has a head of its own. Rows that hold nothing
// (the rules drawn between parts of a table) are left out.
//
// Bound: work, memory and output stay in proportion to the entries, rows
// and colspecs present, whatever the attributes say. Columns are those
// the entries and colspecs use (`cols` allocates nothing, `colnum` only
// orders the colspecs), `morerows` reaches no further than the rows left
// in its part, and a group whose spans would cost more than 16 steps per
// entry, row and colspec is rendered from its entries alone, one after the
// other. A pipe table is written only where its grid is within that bound
// too; otherwise the HTML table writes only the cells present.
#pragma once

#include <string>

#include "model/record/node.hpp"

namespace quillmark {

// The content of one cell: Markdown for a pipe table ("|" escaped), HTML
// text for an HTML table.
using CellRenderer = std::string (*)(Node::Ref entry, bool html);

// The table of `table`: a pipe table or an HTML table; empty when no row
// holds anything.
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

// Whether `child`, a child of a table, is one of its tgroups, which its
// table writes; anything else in a table (its title) is the writer's.
inline bool is_table_group(Node::Ref child) { return child.is_element() && child.name() == "tgroup"; }

// Every row of every tgroup, in order.
template <typename Visit>
void for_each_table_row(Node::Ref table, Visit&& visit) {
    cals_detail::visit_rows(table, visit);
}

}  // namespace quillmark
