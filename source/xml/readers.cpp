#include "source/xml/readers.hpp"

#include "model/text.hpp"
#include "source/xml/front_door.hpp"

namespace quillmark {

bool name_is_one_of(std::string_view name, Names names) {
    for (std::string_view candidate : names)
        if (name == candidate) return true;
    return false;
}

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

void append_text_content(const XmlTree& tree, XmlId id, std::string& out) {
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) {
        switch (tree.kind(child)) {
            case XmlKind::Text:
            case XmlKind::CData: out += tree.text(child); break;
            case XmlKind::EntityReference:
                if (tree.has_text(child)) out += tree.text(child);
                break;
            case XmlKind::Element: append_text_content(tree, child, out); break;
            default: break;
        }
    }
}

}  // namespace

std::string text_content(const XmlTree& tree, XmlId id) {
    std::string out;
    append_text_content(tree, id, out);
    return out;
}

OptionalText trimmed_text(const XmlTree& tree, XmlId id) {
    const std::string text = text_content(tree, id);
    const std::string_view trimmed = trim(text);
    if (trimmed.empty()) return std::nullopt;
    return std::string(trimmed);
}

std::string trimmed_text_or_empty(const XmlTree& tree, XmlId id) {
    const std::string text = text_content(tree, id);
    return std::string(trim(text));
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

bool contains(std::span<const std::string_view> names, std::string_view name) {
    for (std::string_view candidate : names)
        if (candidate == name) return true;
    return false;
}

const InlineElementRule* find_rule(const MarkupRules& rules, std::string_view name) {
    for (const InlineElementRule& rule : rules.inline_elements)
        if (rule.element == name) return &rule;
    return nullptr;
}

void read_inline_into(const XmlTree& tree, XmlId id, const MarkupRules& rules, InlineContent& out);

// Appends the inline nodes one child makes (none when the rules drop it).
void read_child(const XmlTree& tree, XmlId child, const MarkupRules& rules, InlineContent& out) {
    switch (tree.kind(child)) {
        case XmlKind::Text:
        case XmlKind::CData:
            out.push_back(InlineNode::text(std::string(tree.text(child))));
            return;
        case XmlKind::EntityReference: {
            if (tree.has_text(child)) {
                out.push_back(InlineNode::text(std::string(tree.text(child))));
            } else {
                std::string reference = "&";
                reference += tree.name(child);
                reference += ';';
                out.push_back(InlineNode::text(std::move(reference)));
            }
            return;
        }
        case XmlKind::ProcessingInstruction:
            if (rules.keep_processing_instructions) out.push_back(InlineNode::element(to_node(tree, child)));
            return;
        case XmlKind::Element: break;
        default: return;
    }
    const std::string_view name = tree.name(child);
    if (const InlineElementRule* rule = find_rule(rules, name)) {
        InlineContainer container{attributes_of(tree, child), {}, std::nullopt};
        for (std::string_view attribute : rule->target_attributes) {
            if (auto value = tree.attribute_value(child, attribute)) {
                container.target = std::string(*value);
                break;
            }
        }
        read_inline_into(tree, child, rules, container.children);
        out.push_back(InlineNode::container(rule->kind, std::move(container)));
        return;
    }
    if (contains(rules.transparent_elements, name)) {
        read_inline_into(tree, child, rules, out);
        return;
    }
    if (!rules.text_element.empty() && name == rules.text_element) {
        std::string text = text_content(tree, child);
        if (!is_white_space_only(text)) out.push_back(InlineNode::text(std::move(text)));
        return;
    }
    out.push_back(InlineNode::element(to_node(tree, child)));
}

// White space that only separates two inline siblings (comments do not
// count) survives as one space, so words on either side stay apart; at the
// start or end of the content it is dropped.
void read_inline_into(const XmlTree& tree, XmlId id, const MarkupRules& rules, InlineContent& out) {
    bool separator_pending = false;
    std::size_t children = 0;
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) ++children;
    out.reserve(out.size() + children);
    const std::size_t start = out.size();
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) {
        const XmlKind kind = tree.kind(child);
        if ((kind == XmlKind::Text || kind == XmlKind::CData) && is_white_space_only(tree.text(child))) {
            if (out.size() > start) separator_pending = true;
            continue;
        }
        // The separator goes in first and comes out again if the child makes
        // nothing, so that nothing after it has to be moved.
        if (separator_pending) out.push_back(InlineNode::text(" "));
        const std::size_t before = out.size();
        read_child(tree, child, rules, out);
        if (out.size() == before) {
            if (separator_pending) out.pop_back();
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
    InlineContent content;
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
