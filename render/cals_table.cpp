#include "render/cals_table.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

#include "model/text/text.hpp"
#include "render/gfm_elements.hpp"

namespace quillmark {

namespace {

struct Cell {
    Node::Ref entry;
    std::size_t row;
    std::size_t column;
    std::size_t columns;  // spanned
    std::size_t rows;     // spanned
};

struct Group {
    std::vector<Cell> cells;
    std::vector<bool> head;     // per row: from thead
    std::vector<bool> kept;     // per row: holds something
    std::size_t columns = 0;
    bool needs_html = false;
};

std::optional<std::string_view> attribute(Node::Ref node, std::string_view name) {
    for (const AttributeView& attribute : node.attributes())
        if (attribute.name == name) return attribute.value;
    return std::nullopt;
}

std::optional<std::size_t> number(std::optional<std::string_view> text) {
    if (!text) return std::nullopt;
    const std::string_view digits = trim(*text);
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// Whether a cell shows anything: text that is not white space, an image or
// a formula.
bool holds_content(Node::Ref node) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) {
            const std::string_view text = child.text_value();
            if (!text.starts_with("<?") && !text.starts_with("<!--") && !is_white_space_only(text)) return true;
            continue;
        }
        const ElementRole role = role_of(child.name());
        if (role == ElementRole::Image || role == ElementRole::Math || holds_content(child)) return true;
    }
    return false;
}

bool holds_blocks(Node::Ref node) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) continue;
        switch (role_of(child.name())) {
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

class GroupReader {
public:
    explicit GroupReader(Node::Ref group) {
        std::size_t order = 0;
        for (Node::Ref child : group.children()) {
            if (!child.is_element() || child.name() != "colspec") continue;
            const std::size_t column = number(attribute(child, "colnum")).value_or(order + 1);
            ++order;
            if (const auto name = attribute(child, "colname"); name && column > 0)
                names_.emplace_back(*name, column - 1);
        }
        result_.columns = std::max(order, number(attribute(group, "cols")).value_or(0));
        for (Node::Ref child : group.children()) {
            if (!child.is_element()) continue;
            if (child.name() == "thead" || child.name() == "tbody" || child.name() == "tfoot") {
                for (Node::Ref row : child.children())
                    if (row.is_element() && row.name() == "row") read_row(row, child.name() == "thead");
            } else if (child.name() == "row") {
                read_row(child, false);
            }
        }
    }

    Group finish() {
        // Spans count only the rows that are shown.
        for (Cell& cell : result_.cells) {
            std::size_t shown = 0;
            for (std::size_t row = cell.row; row < cell.row + cell.rows && row < result_.kept.size(); ++row)
                if (result_.kept[row]) ++shown;
            cell.rows = std::max<std::size_t>(shown, 1);
            if (result_.kept[cell.row] && (cell.rows > 1 || cell.columns > 1)) result_.needs_html = true;
        }
        return std::move(result_);
    }

private:
    std::optional<std::size_t> column_named(std::optional<std::string_view> name) const {
        if (!name) return std::nullopt;
        for (const auto& [column_name, column] : names_)
            if (column_name == *name) return column;
        return std::nullopt;
    }

    bool taken(std::size_t row, std::size_t column) const {
        return row < taken_.size() && column < taken_[row].size() && taken_[row][column];
    }

    void take(std::size_t row, std::size_t column) {
        if (taken_.size() <= row) taken_.resize(row + 1);
        if (taken_[row].size() <= column) taken_[row].resize(column + 1);
        taken_[row][column] = true;
    }

    void read_row(Node::Ref row, bool head) {
        const std::size_t index = result_.head.size();
        result_.head.push_back(head);
        bool shows = false;
        std::size_t next = 0;
        for (Node::Ref entry : row.children()) {
            if (!entry.is_element() || entry.name() != "entry") continue;
            std::size_t first = column_named(attribute(entry, "namest"))
                                    .value_or(column_named(attribute(entry, "colname")).value_or(next));
            while (taken(index, first)) ++first;
            const std::size_t last = std::max(first, column_named(attribute(entry, "nameend")).value_or(first));
            const std::size_t rows = number(attribute(entry, "morerows")).value_or(0) + 1;
            for (std::size_t r = index; r < index + rows; ++r)
                for (std::size_t c = first; c <= last; ++c) take(r, c);
            result_.cells.push_back({entry, index, first, last - first + 1, rows});
            result_.columns = std::max(result_.columns, last + 1);
            next = last + 1;
            if (holds_content(entry)) {
                shows = true;
                if (holds_blocks(entry)) result_.needs_html = true;
            }
        }
        result_.kept.push_back(shows);
    }

    std::vector<std::pair<std::string_view, std::size_t>> names_;
    std::vector<std::vector<bool>> taken_;
    Group result_;
};

void append_pipe_row(std::string& out, const std::vector<std::string>& cells) {
    if (!out.empty()) out += '\n';
    out += '|';
    for (const std::string& cell : cells) {
        out += ' ';
        out += cell;
        out += " |";
    }
}

std::string pipe_table(const Group& group, CellRenderer render_cell) {
    std::vector<std::vector<std::string>> rows(group.kept.size(), std::vector<std::string>(group.columns));
    for (const Cell& cell : group.cells)
        if (group.kept[cell.row]) rows[cell.row][cell.column] = render_cell(cell.entry, false);
    // The head rows make one header row; without any, the first row is it.
    std::vector<std::string> header(group.columns);
    std::vector<std::size_t> body;
    bool has_head = false;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!group.kept[row]) continue;
        if (!group.head[row]) {
            body.push_back(row);
            continue;
        }
        for (std::size_t column = 0; column < group.columns; ++column) {
            if (rows[row][column].empty()) continue;
            if (!header[column].empty()) header[column] += "<br>";
            header[column] += rows[row][column];
        }
        has_head = true;
    }
    if (!has_head && !body.empty()) {
        header = rows[body.front()];
        body.erase(body.begin());
    }
    std::string out;
    append_pipe_row(out, header);
    append_pipe_row(out, std::vector<std::string>(group.columns, "---"));
    for (const std::size_t row : body) append_pipe_row(out, rows[row]);
    return out;
}

std::string html_table(const Group& group, CellRenderer render_cell) {
    std::string out = "<table>";
    std::size_t row = static_cast<std::size_t>(-1);
    bool head = false;
    for (const Cell& cell : group.cells) {
        if (!group.kept[cell.row]) continue;
        if (cell.row != row) {
            if (row != static_cast<std::size_t>(-1)) out += "</tr>";
            out += "\n<tr>";
            row = cell.row;
            head = group.head[row];
        }
        out += head ? "<th" : "<td";
        if (cell.columns > 1) out += " colspan=\"" + std::to_string(cell.columns) + '"';
        if (cell.rows > 1) out += " rowspan=\"" + std::to_string(cell.rows) + '"';
        out += '>';
        out += render_cell(cell.entry, true);
        out += head ? "</th>" : "</td>";
    }
    if (row != static_cast<std::size_t>(-1)) out += "</tr>";
    out += "\n</table>";
    return out;
}

}  // namespace

std::string cals_table_markdown(Node::Ref table, CellRenderer render_cell) {
    std::vector<Node::Ref> groups;
    for (Node::Ref child : table.children())
        if (child.is_element() && child.name() == "tgroup") groups.push_back(child);
    if (groups.empty()) groups.push_back(table);
    std::string out;
    for (const Node::Ref node : groups) {
        const Group group = GroupReader(node).finish();
        if (std::find(group.kept.begin(), group.kept.end(), true) == group.kept.end() || group.columns == 0) continue;
        if (!out.empty()) out += "\n\n";
        out += group.needs_html ? html_table(group, render_cell) : pipe_table(group, render_cell);
    }
    return out;
}

}  // namespace quillmark
