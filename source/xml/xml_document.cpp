#include "source/xml/xml_document.hpp"

#include "source/xml/front_door.hpp"

namespace quillmark {

XmlId root_element(const XmlTree& tree) {
    for (XmlId child = tree.first_child(tree.document()); child != no_node; child = tree.next_sibling(child))
        if (tree.is_element(child)) return child;
    return no_node;
}

Result<RootedTree, ParseError> parse_rooted(std::string_view text, const XmlFamily& family) {
    auto tree = parse_xml(text);
    if (!tree) return tree.error();
    const XmlId root = root_element(tree.value());
    if (root == no_node) return ParseError::xml("missing root element");
    if (tree.value().name(root) != family.root) return ParseError::structure(std::string(family.wrong_root_message));
    tree.value().set_element_roles(family.element_roles);
    return RootedTree{std::move(tree).value(), root};
}

}  // namespace quillmark
