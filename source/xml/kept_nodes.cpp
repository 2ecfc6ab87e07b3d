// Root lookup and the copier that turns library nodes into generic Nodes.
#include "source/xml/front_door.hpp"

namespace quillmark {

XmlId root_element(const XmlTree& tree) {
    for (XmlId child = tree.first_child(tree.document()); child != no_node; child = tree.next_sibling(child))
        if (tree.is_element(child)) return child;
    return no_node;
}

Result<RootedTree, ParseError> parse_rooted(std::string_view text, std::string_view root_name,
                                            std::string_view wrong_root_message) {
    auto tree = parse_xml(text);
    if (!tree) return tree.error();
    const XmlId root = root_element(tree.value());
    if (root == no_node) return ParseError::xml("missing root element");
    if (tree.value().name(root) != root_name) return ParseError::structure(std::string(wrong_root_message));
    return RootedTree{std::move(tree).value(), root};
}

Attributes attributes_of(const XmlTree& tree, XmlId id) {
    Attributes attributes;
    const std::size_t count = tree.attribute_count(id);
    attributes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const XmlTree::Attribute a = tree.attribute(id, i);
        Attribute& copy = attributes.emplace_back();
        copy.name = a.name;
        copy.value = a.value;
        if (a.prefix) copy.prefix = std::string(*a.prefix);
    }
    return attributes;
}

Node to_node(const XmlTree& tree, XmlId id) {
    switch (tree.kind(id)) {
        case XmlKind::Element: {
            Node node{Node::Kind::Element, std::string(tree.name(id)), {}, attributes_of(tree, id), {}};
            if (auto prefix = tree.prefix(id)) node.prefix = std::string(*prefix);
            std::size_t children = 0;
            for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) ++children;
            node.children.reserve(children);
            for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child))
                node.children.push_back(to_node(tree, child));
            return node;
        }
        case XmlKind::Text:
        case XmlKind::CData: return Node::text(std::string(tree.text(id)));
        case XmlKind::Comment: {
            std::string text = "<!--";
            text += tree.text(id);
            text += "-->";
            return Node::text(std::move(text));
        }
        case XmlKind::ProcessingInstruction: {
            std::string text = "<?";
            text += tree.name(id);
            if (tree.has_text(id)) {
                text += ' ';
                text += tree.text(id);
            }
            text += "?>";
            return Node::text(std::move(text));
        }
        case XmlKind::EntityReference: {
            if (tree.has_text(id)) return Node::text(std::string(tree.text(id)));
            std::string text = "&";
            text += tree.name(id);
            text += ';';
            return Node::text(std::move(text));
        }
        case XmlKind::Document: break;
    }
    return Node::text(std::string());
}

}  // namespace quillmark
