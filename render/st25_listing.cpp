#include "render/st25_listing.hpp"

#include "model/text/entities.hpp"
#include "model/text/text.hpp"
#include "render/code_block.hpp"

namespace quillmark {

namespace {

// "s210" gives "210"; nothing for another name.
std::string_view identifier_of(std::string_view name) {
    if (name.size() != 4 || name[0] != 's') return {};
    for (std::size_t i = 1; i < 4; ++i)
        if (!is_ascii_digit(name[i])) return {};
    return name.substr(1);
}

void append_text(std::string& out, Node::Ref node) {
    for (Node::Ref child : node.children()) {
        if (child.is_element()) {
            append_text(out, child);
            continue;
        }
        if (!child.is_instruction_or_comment()) append_decoded(out, child.text_value());
    }
}

bool has_element_children(Node::Ref node) {
    for (Node::Ref child : node.children())
        if (child.is_element()) return true;
    return false;
}

void add_line(std::string& out, std::string_view line) {
    out += trim_end(line);
    out += '\n';
}

void add_blank_line(std::string& out) {
    if (!out.empty() && !std::string_view(out).ends_with("\n\n")) out += '\n';
}

// The lines of a listing, with the text of the element being read in a
// buffer of its own that each element reuses.
struct ListingLines {
    std::string out;
    std::string text;
    std::string collapsed;

    // The tag's line: "<210>", then two spaces and `value` if it has any.
    void add_tag_line(std::string_view identifier, std::string_view value) {
        out += '<';
        out += identifier;
        out += '>';
        if (!value.empty()) {
            out += "  ";
            out += value;
        }
        out += '\n';
    }

    // The residues keep their lines and columns; the number of the
    // sequence stands on the tag's line.
    void add_sequence(Node::Ref node) {
        text.clear();
        append_text(text, node);
        std::string_view rest = trim(text);
        const std::size_t feed = rest.find('\n');
        add_tag_line("400", trim(rest.substr(0, feed)));
        if (feed == std::string_view::npos) return;
        rest = rest.substr(feed + 1);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            add_line(out, rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest = rest.substr(end + 1);
        }
    }

    void add_element(Node::Ref node) {
        const std::string_view identifier = identifier_of(node.name());
        if (identifier == "400") {
            add_blank_line(out);
            add_sequence(node);
            return;
        }
        if (identifier.empty() || has_element_children(node)) {
            // Groups: <100> and <200> hold the lines below them; <220> and its
            // kin print their own tag first.
            add_blank_line(out);
            if (!identifier.empty() && !identifier.ends_with("00")) add_tag_line(identifier, {});
            for (Node::Ref child : node.children())
                if (child.is_element()) add_element(child);
            return;
        }
        // Collapsed, the value ends in no white space: the line needs no trim.
        text.clear();
        append_text(text, node);
        collapsed.clear();
        append_collapsed_white_space(collapsed, text);
        add_tag_line(identifier, collapsed);
    }
};

}  // namespace

std::string table_listing(Node::Ref table) {
    std::string body;
    for_each_table_row(table, [&body](Node::Ref row) {
        std::string line;
        for (Node::Ref entry : row.children()) {
            if (!entry.is_element()) continue;
            if (!line.empty()) line += "  ";
            append_text(line, entry);
        }
        if (is_white_space_only(line)) return;
        add_line(body, line);
    });
    if (body.empty()) return {};
    body.pop_back();
    return fenced_block(body, "text");
}

std::string st25_listing(Node::Ref listing) {
    ListingLines lines;
    std::string& body = lines.out;
    if (has_element_children(listing)) {
        for (Node::Ref child : listing.children())
            if (child.is_element()) lines.add_element(child);
    } else {
        std::string text;
        append_text(text, listing);
        std::string_view rest = text;
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            add_line(body, rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest = rest.substr(end + 1);
        }
    }
    const std::string_view trimmed = trim(body);
    if (trimmed.empty()) return {};
    // Leading spaces of the first line belong to the layout.
    const std::size_t start = body.find_first_not_of('\n');
    return fenced_block(std::string_view(body).substr(start, body.find_last_not_of(" \n") + 1 - start), "text");
}

}  // namespace quillmark
