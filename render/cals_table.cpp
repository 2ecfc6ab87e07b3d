#include "render/cals_table.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

#include "model/text/text.hpp"
#include "render/gfm_elements.hpp"

namespace quillmark {

namespace {

// Steps a group may spend on placing its cells, and cells a pipe table's
// grid may have, per entry, row and colspec present.
constexpr std::size_t steps_per_item = 16;
constexpr std::size_t steps_to_spare = 1024;

struct Cell {
    Node::Ref entry;
    std::size_t row;      // of the whole table
    std::size_t column;   // of its group
    std::size_t columns;  // spanned
    std::size_t rows;     // spanned; once finished, counted in shown rows
};

struct Group {
    std::size_t first_cell = 0;
    std::size_t end_cell = 0;
    std::size_t first_row = 0;
    std::size_t end_row = 0;
    std::size_t columns = 0;
    bool needs_html = false;
};

struct Table {
    std::vector<Cell> cells;
    std::vector<bool> head;  // per row: from thead
    std::vector<bool> kept;  // per row: holds something
    std::vector<Group> groups;
};

std::optional<std::size_t> number(std::optional<std::string_view> text) {
    if (!text) return std::nullopt;
    const std::string_view digits = trim(*text);
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

bool is_element(Node::Ref node, std::string_view name) { return node.is_element() && node.name() == name; }

bool is_part(Node::Ref node) {
    return is_element(node, "thead") || is_element(node, "tbody") || is_element(node, "tfoot");
}

// Whether a cell shows anything: text that is not white space, an image or
// a formula.
bool holds_content(Node::Ref node) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) {
            const std::string_view text = child.text_value();
            if (!child.is_instruction_or_comment() && !is_white_space_only(text)) return true;
            continue;
        }
        const ElementRole role = child.role();
        if (role == ElementRole::Image || role == ElementRole::Math || holds_content(child)) return true;
    }
    return false;
}

bool holds_blocks(Node::Ref node) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) continue;
        switch (child.role()) {
            case ElementRole::List:
            case ElementRole::OrderedList:
            case ElementRole::Table:
            case ElementRole::Paragraph: return true;
            default:
                if (holds_blocks(child)) return true;
        }
    }
    return false;
}

// The attributes that place an entry, read in one pass over its attributes.
struct SpanAttributes {
    std::optional<std::string_view> namest;
    std::optional<std::string_view> nameend;
    std::optional<std::string_view> colname;
    std::optional<std::string_view> morerows;
};

SpanAttributes span_attributes(Node::Ref entry) {
    SpanAttributes span;
    for (const AttributeView& attribute : entry.attributes()) {
        std::optional<std::string_view>* slot = attribute.name == "namest"     ? &span.namest
                                                : attribute.name == "nameend"  ? &span.nameend
                                                : attribute.name == "colname"  ? &span.colname
                                                : attribute.name == "morerows" ? &span.morerows
                                                                               : nullptr;
        if (slot && !*slot) *slot = attribute.value;
    }
    return span;
}

std::size_t count_elements(Node::Ref node, std::string_view name) {
    std::size_t count = 0;
    for (Node::Ref child : node.children())
        if (is_element(child, name)) ++count;
    return count;
}

// Reads one tgroup's rows and cells into the table, honouring colspec
// names and spans while they cost no more than the group's budget.
class GroupReader {
public:
    GroupReader(Table& table, Node::Ref group, bool honour_spans)
        : table_(table), group_(group), honour_spans_(honour_spans) {}

    // False when the spans would cost more than the budget; the table is
    // then left as it was.
    bool read() {
        Group result;
        result.first_cell = table_.cells.size();
        result.first_row = table_.head.size();
        first_row_ = result.first_row;
        read_column_names();
        budget_ = steps_to_spare + steps_per_item * (names_.size() + count_items());
        bool within_budget = true;
        for (Node::Ref child : group_.children()) {
            if (is_part(child)) {
                const bool head = child.name() == "thead";
                std::size_t rows_left = count_elements(child, "row");
                for (Node::Ref row : child.children())
                    if (is_element(row, "row")) within_budget = within_budget && read_row(row, head, rows_left--);
            } else if (is_element(child, "row")) {
                within_budget = within_budget && read_row(child, false, 1);
            }
        }
        if (!within_budget) {
            table_.cells.erase(table_.cells.begin() + static_cast<std::ptrdiff_t>(result.first_cell), table_.cells.end());
            table_.head.resize(result.first_row);
            table_.kept.resize(result.first_row);
            return false;
        }
        result.end_cell = table_.cells.size();
        result.end_row = table_.head.size();
        result.columns = columns_;
        result.needs_html = needs_html_ || !honour_spans_;
        table_.groups.push_back(result);
        return true;
    }

private:
    std::size_t count_items() const {
        std::size_t items = 0;
        for (Node::Ref child : group_.children()) {
            if (is_element(child, "row")) items += 1 + count_elements(child, "entry");
            if (!is_part(child)) continue;
            for (Node::Ref row : child.children())
                if (is_element(row, "row")) items += 1 + count_elements(row, "entry");
        }
        return items;
    }

    // Colspecs in the order of their `colnum` (their own order where they
    // have none), each its column; names sorted for the search, the first
    // column of a name kept.
    void read_column_names() {
        if (!honour_spans_) return;
        std::vector<std::pair<std::size_t, std::optional<std::string_view>>> specs;
        for (Node::Ref child : group_.children())
            if (is_element(child, "colspec"))
                specs.emplace_back(number(child.attribute("colnum")).value_or(specs.size() + 1), child.attribute("colname"));
        std::stable_sort(specs.begin(), specs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t column = 0; column < specs.size(); ++column)
            if (specs[column].second) names_.emplace_back(*specs[column].second, column);
        std::stable_sort(names_.begin(), names_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    }

    std::optional<std::size_t> column_named(std::optional<std::string_view> name) const {
        if (!name || !honour_spans_) return std::nullopt;
        const auto found = std::lower_bound(names_.begin(), names_.end(), *name,
                                            [](const auto& entry, std::string_view key) { return entry.first < key; });
        if (found == names_.end() || found->first != *name) return std::nullopt;
        return found->second;
    }

    bool spend(std::size_t steps) {
        if (steps > budget_) return false;
        budget_ -= steps;
        return true;
    }

    bool taken(std::size_t row, std::size_t column) const {
        return row < taken_.size() && column < taken_[row].size() && taken_[row][column];
    }

    // False when the grid would grow beyond the budget.
    bool take(std::size_t row, std::size_t column) {
        if (taken_.size() <= row) {
            if (!spend(row + 1 - taken_.size())) return false;
            taken_.resize(row + 1);
        }
        if (taken_[row].size() <= column) {
            if (!spend(column + 1 - taken_[row].size())) return false;
            taken_[row].resize(column + 1);
        }
        taken_[row][column] = true;
        return true;
    }

    // `rows_left`: the rows of its part from this one on, which a cell may
    // span. Without spans honoured, the entries stand one after the other.
    bool read_row(Node::Ref row, bool head, std::size_t rows_left) {
        const std::size_t index = table_.head.size();
        const std::size_t local = index - first_row_;
        table_.head.push_back(head);
        bool shows = false;
        std::size_t next = 0;
        for (Node::Ref entry : row.children()) {
            if (!is_element(entry, "entry")) continue;
            std::size_t first = next;
            std::size_t last = next;
            std::size_t rows = 1;
            if (honour_spans_) {
                const SpanAttributes span = span_attributes(entry);
                first = column_named(span.namest).value_or(column_named(span.colname).value_or(next));
                while (taken(local, first)) {
                    if (!spend(1)) return false;
                    ++first;
                }
                last = std::max(first, column_named(span.nameend).value_or(first));
                rows = std::min(number(span.morerows).value_or(0), rows_left - 1) + 1;
                if (last - first + 1 > budget_ / rows) return false;
                for (std::size_t r = local; r < local + rows; ++r)
                    for (std::size_t c = first; c <= last; ++c)
                        if (!take(r, c)) return false;
            }
            table_.cells.push_back({entry, index, first, last - first + 1, rows});
            columns_ = std::max(columns_, last + 1);
            next = last + 1;
            if (holds_content(entry)) {
                shows = true;
                if (holds_blocks(entry)) needs_html_ = true;
            }
        }
        table_.kept.push_back(shows);
        return true;
    }

    Table& table_;
    Node::Ref group_;
    bool honour_spans_;
    std::size_t first_row_ = 0;
    std::size_t budget_ = 0;
    std::size_t columns_ = 0;
    bool needs_html_ = false;
    std::vector<std::pair<std::string_view, std::size_t>> names_;
    std::vector<std::vector<bool>> taken_;
};

// Spans count only the rows that are shown.
void count_shown_rows(Table& table) {
    std::vector<std::size_t> shown_before(table.kept.size() + 1, 0);
    for (std::size_t row = 0; row < table.kept.size(); ++row)
        shown_before[row + 1] = shown_before[row] + (table.kept[row] ? 1 : 0);
    for (Group& group : table.groups) {
        for (std::size_t index = group.first_cell; index < group.end_cell; ++index) {
            Cell& cell = table.cells[index];
            const std::size_t end = std::min(cell.row + cell.rows, table.kept.size());
            cell.rows = std::max<std::size_t>(shown_before[end] - shown_before[cell.row], 1);
            if (table.kept[cell.row] && (cell.rows > 1 || cell.columns > 1)) group.needs_html = true;
        }
    }
}

bool shows_anything(const Table& table, const Group& group) {
    if (group.columns == 0) return false;
    for (std::size_t row = group.first_row; row < group.end_row; ++row)
        if (table.kept[row]) return true;
    return false;
}

bool has_head(const Table& table, const Group& group) {
    for (std::size_t row = group.first_row; row < group.end_row; ++row)
        if (table.kept[row] && table.head[row]) return true;
    return false;
}

// One pipe table for all groups: they have the same columns, no spans, a
// head only in the first, and a grid in proportion to their cells.
bool fits_pipe_table(const Table& table, const std::vector<const Group*>& groups) {
    std::size_t rows = 0;
    std::size_t cells = 0;
    for (const Group* group : groups) {
        if (group->needs_html || group->columns != groups.front()->columns) return false;
        if (group != groups.front() && has_head(table, *group)) return false;
        for (std::size_t row = group->first_row; row < group->end_row; ++row)
            if (table.kept[row]) ++rows;
        cells += group->end_cell - group->first_cell;
    }
    const std::size_t columns = groups.front()->columns;
    return rows <= (steps_to_spare + steps_per_item * (rows + cells)) / columns;
}

void append_pipe_row(std::string& out, const std::vector<std::string>& cells) {
    if (!out.empty()) out += '\n';
    out += '|';
    for (const std::string& cell : cells) {
        out += ' ';
        out += cell;
        out += " |";
    }
}

// The first group's head rows make the header row, their cells joined
// with line breaks; without a head it is empty, and so it is where there
// is nothing but the head (whose rows are then the table's rows).
std::string pipe_table(const Table& table, const std::vector<const Group*>& groups, CellRenderer render_cell) {
    const std::size_t columns = groups.front()->columns;
    std::vector<std::vector<std::string>> head;
    std::vector<std::vector<std::string>> body;
    for (const Group* group : groups) {
        std::size_t cell = group->first_cell;
        for (std::size_t row = group->first_row; row < group->end_row; ++row) {
            std::size_t end = cell;
            while (end < group->end_cell && table.cells[end].row == row) ++end;
            if (table.kept[row]) {
                std::vector<std::string> cells(columns);
                for (std::size_t index = cell; index < end; ++index)
                    cells[table.cells[index].column] = render_cell(table.cells[index].entry, false);
                (table.head[row] ? head : body).push_back(std::move(cells));
            }
            cell = end;
        }
    }
    std::vector<std::string> header(columns);
    if (body.empty()) {
        body = std::move(head);
        head.clear();
    }
    for (const std::vector<std::string>& cells : head) {
        for (std::size_t column = 0; column < columns; ++column) {
            if (cells[column].empty()) continue;
            if (!header[column].empty()) header[column] += "<br>";
            header[column] += cells[column];
        }
    }
    std::string out;
    append_pipe_row(out, header);
    append_pipe_row(out, std::vector<std::string>(columns, "---"));
    for (const std::vector<std::string>& cells : body) append_pipe_row(out, cells);
    return out;
}

// A group narrower than the widest has its last column span the rest.
std::string html_table(const Table& table, const std::vector<const Group*>& groups, CellRenderer render_cell) {
    std::size_t widest = 0;
    for (const Group* group : groups) widest = std::max(widest, group->columns);
    std::string out = "<table>";
    for (const Group* group : groups) {
        std::size_t row = static_cast<std::size_t>(-1);
        bool head = false;
        for (std::size_t index = group->first_cell; index < group->end_cell; ++index) {
            const Cell& cell = table.cells[index];
            if (!table.kept[cell.row]) continue;
            if (cell.row != row) {
                if (row != static_cast<std::size_t>(-1)) out += "</tr>";
                out += "\n<tr>";
                row = cell.row;
                head = table.head[row];
            }
            std::size_t columns = cell.columns;
            if (cell.column + cell.columns == group->columns) columns += widest - group->columns;
            out += head ? "<th" : "<td";
            if (columns > 1) out += " colspan=\"" + std::to_string(columns) + '"';
            if (cell.rows > 1) out += " rowspan=\"" + std::to_string(cell.rows) + '"';
            out += '>';
            out += render_cell(cell.entry, true);
            out += head ? "</th>" : "</td>";
        }
        if (row != static_cast<std::size_t>(-1)) out += "</tr>";
    }
    out += "\n</table>";
    return out;
}

}  // namespace

std::string cals_table_markdown(Node::Ref table, CellRenderer render_cell) {
    std::vector<Node::Ref> nodes;
    for (Node::Ref child : table.children())
        if (is_element(child, "tgroup")) nodes.push_back(child);
    if (nodes.empty()) nodes.push_back(table);
    Table read;
    for (const Node::Ref node : nodes)
        if (!GroupReader(read, node, true).read()) GroupReader(read, node, false).read();
    count_shown_rows(read);
    std::vector<const Group*> shown;
    for (const Group& group : read.groups)
        if (shows_anything(read, group)) shown.push_back(&group);
    if (shown.empty()) return {};
    return fits_pipe_table(read, shown) ? pipe_table(read, shown, render_cell) : html_table(read, shown, render_cell);
}

}  // namespace quillmark
