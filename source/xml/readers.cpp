#include "source/xml/readers.hpp"

#include "model/text/text.hpp"
#include "source/xml/kept_nodes.hpp"

namespace quillmark {

XmlId find_child(const XmlTree& tree, XmlId id, Names names) {
    for (XmlId child : element_children(tree, id))
        if (name_is_one_of(tree.name(child), names)) return child;
    return no_node;
}

XmlId find_descendant(const XmlTree& tree, XmlId id, std::string_view name) {
    for (XmlId child : element_children(tree, id)) {
        if (tree.name(child) == name) return child;
        if (XmlId found = find_descendant(tree, child, name)) return found;
    }
    return no_node;
}

namespace {

// Lets the entity-reference rule of the kept copies append to a string.
struct StringWriter {
    std::string& out;
    void add_text(std::initializer_list<std::string_view> pieces) {
        for (std::string_view piece : pieces) out += piece;
    }
};

void append_text_content(const XmlTree& tree, XmlId id, std::string& out) {
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) {
        switch (tree.kind(child)) {
            case XmlKind::Text:
            case XmlKind::CData: out += tree.text(child); break;
            case XmlKind::EntityReference: {
                StringWriter writer{out};
                add_entity_reference_text(tree, child, writer);
                break;
            }
            case XmlKind::Element: append_text_content(tree, child, out); break;
            default: break;
        }
    }
}

// The text content of a node that holds at most one run of text, as most
// short values do, read in place; absent for any other node.
std::optional<std::string_view> single_text_run(const XmlTree& tree, XmlId id) {
    const XmlId child = tree.first_child(id);
    if (child == no_node) return std::string_view();
    const XmlKind kind = tree.kind(child);
    if ((kind != XmlKind::Text && kind != XmlKind::CData) || tree.next_sibling(child) != no_node) return std::nullopt;
    return tree.text(child);
}

// Calls `use` with the text content of the node, copied only when it is
// made of more than one run.
template <typename Use>
auto with_text_content(const XmlTree& tree, XmlId id, Use&& use) {
    if (const auto run = single_text_run(tree, id)) return use(*run);
    std::string text;
    append_text_content(tree, id, text);
    return use(std::string_view(text));
}

}  // namespace

std::string text_content(const XmlTree& tree, XmlId id) {
    std::string out;
    append_text_content(tree, id, out);
    return out;
}

OptionalText trimmed_text(const XmlTree& tree, XmlId id) {
    return with_text_content(tree, id, [](std::string_view text) -> OptionalText {
        const std::string_view trimmed = trim(text);
        if (trimmed.empty()) return std::nullopt;
        return std::string(trimmed);
    });
}

OptionalText padded_text(const XmlTree& tree, XmlId id) {
    return with_text_content(tree, id, [](std::string_view text) -> OptionalText {
        if (trim(text).empty()) return std::nullopt;
        return std::string(trim_end(text));
    });
}

std::string trimmed_text_or_empty(const XmlTree& tree, XmlId id) {
    return with_text_content(tree, id, [](std::string_view text) { return std::string(trim(text)); });
}

OptionalText child_text(const XmlTree& tree, XmlId id, Names names) {
    const XmlId child = find_child(tree, id, names);
    if (child == no_node) return std::nullopt;
    return trimmed_text(tree, child);
}

OptionalText attribute_text(const XmlTree& tree, XmlId id, std::string_view name) {
    if (auto value = tree.attribute_value(id, name)) return std::string(*value);
    return std::nullopt;
}

std::optional<std::uint32_t> parse_unsigned(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!is_ascii_digit(c)) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

namespace {

const InlineElementRule* find_rule(const MarkupRules& rules, std::string_view name) {
    for (const InlineElementRule& rule : rules.inline_elements)
        if (rule.element == name) return &rule;
    return nullptr;
}

void read_inline_into(const XmlTree& tree, XmlId id, const MarkupRules& rules, InlineContent& out);

void write_kept_into(const XmlTree& tree, XmlId id, InlineContent& out) {
    NodeWriter writer = out.kept_writer();
    write_kept(tree, id, writer);
}

// Where the first of `names` that the element has stands among its
// attributes (the names are tried in order).
std::optional<std::uint32_t> first_present_position(const XmlTree& tree, XmlId id,
                                                    std::span<const std::string_view> names) {
    const std::size_t count = tree.attribute_count(id);
    for (std::string_view name : names)
        for (std::size_t i = 0; i < count; ++i)
            if (tree.attribute(id, i).name == name) return static_cast<std::uint32_t>(i);
    return std::nullopt;
}

// A container for an element that has a rule: its attributes, its target
// (the first of the rule's target attributes it has) and its content.
void read_container(const XmlTree& tree, XmlId id, const InlineElementRule& rule, const MarkupRules& rules,
                    InlineContent& out) {
    const std::uint32_t container = out.open(rule.kind);
    const std::size_t count = tree.attribute_count(id);
    for (std::size_t i = 0; i < count; ++i) {
        const XmlTree::Attribute a = tree.attribute(id, i);
        out.add_attribute(a.name, a.prefix, a.value);
    }
    if (auto position = first_present_position(tree, id, rule.target_attributes)) out.set_target(container, *position);
    read_inline_into(tree, id, rules, out);
    out.close(container);
}

// Appends the inline nodes one child makes (none when the rules drop it).
void read_child(const XmlTree& tree, XmlId child, const MarkupRules& rules, InlineContent& out) {
    switch (tree.kind(child)) {
        case XmlKind::Text:
        case XmlKind::CData: out.add_text({tree.text(child)}); return;
        case XmlKind::EntityReference: add_entity_reference_text(tree, child, out); return;
        case XmlKind::ProcessingInstruction:
            if (rules.keep_processing_instructions) write_kept_into(tree, child, out);
            return;
        case XmlKind::Element: break;
        default: return;
    }
    const std::string_view name = tree.name(child);
    if (const InlineElementRule* rule = find_rule(rules, name)) {
        read_container(tree, child, *rule, rules, out);
        return;
    }
    if (name_is_one_of(name, rules.transparent_elements)) {
        read_inline_into(tree, child, rules, out);
        return;
    }
    if (!rules.text_element.empty() && name == rules.text_element) {
        const std::string text = text_content(tree, child);
        if (!is_white_space_only(text)) out.add_text({text});
        return;
    }
    write_kept_into(tree, child, out);
}

// White space that only separates two inline siblings (comments do not
// count) survives as one space, so words on either side stay apart; at the
// start or end of the content it is dropped.
void read_inline_into(const XmlTree& tree, XmlId id, const MarkupRules& rules, InlineContent& out) {
    bool separator_pending = false;
    const std::size_t start = out.mark().entries;
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) {
        const XmlKind kind = tree.kind(child);
        if ((kind == XmlKind::Text || kind == XmlKind::CData) && is_white_space_only(tree.text(child))) {
            if (out.mark().entries > start) separator_pending = true;
            continue;
        }
        // The separator goes in first and comes out again if the child makes
        // nothing, so that nothing after it has to be moved.
        const EntryTable::Mark before = out.mark();
        if (separator_pending) out.add_text({" "});
        const std::size_t after_separator = out.mark().entries;
        read_child(tree, child, rules, out);
        if (out.mark().entries == after_separator) {
            out.truncate(before);
            continue;
        }
        separator_pending = false;
    }
}

OptionalText first_present_attribute(const XmlTree& tree, XmlId id, std::span<const std::string_view> names) {
    for (std::string_view name : names)
        if (auto value = tree.attribute_value(id, name)) return std::string(*value);
    return std::nullopt;
}

std::optional<std::uint32_t> read_level(const XmlTree& tree, XmlId id, const MarkupRules& rules) {
    const OptionalText value = first_present_attribute(tree, id, rules.level_attributes);
    if (!value) return std::nullopt;
    return parse_unsigned(*value);
}

}  // namespace

InlineContent read_inline(const XmlTree& tree, XmlId id, const MarkupRules& rules) {
    // What the kept copies of the children would need is enough for their
    // inline nodes, which drop names, comments and white space.
    TableSize size;
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child))
        add_kept_size(tree, child, size);
    InlineContent content;
    content.reserve(size.entries, size.bytes);
    read_inline_into(tree, id, rules, content);
    return content;
}

Paragraph read_paragraph(const XmlTree& tree, XmlId id, const MarkupRules& rules) {
    Paragraph paragraph;
    paragraph.attributes = attributes_of(tree, id);
    paragraph.id = attribute_text(tree, id, rules.id_attribute);
    paragraph.level = read_level(tree, id, rules);
    paragraph.content = read_inline(tree, id, rules);
    return paragraph;
}

Heading read_heading(const XmlTree& tree, XmlId id, const MarkupRules& rules) {
    Heading heading;
    heading.attributes = attributes_of(tree, id);
    heading.level = read_level(tree, id, rules);
    if (!rules.align_attribute.empty()) heading.align = attribute_text(tree, id, rules.align_attribute);
    heading.content = read_inline(tree, id, rules);
    return heading;
}

}  // namespace quillmark
