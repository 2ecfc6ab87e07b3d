// The frame every XML family shares: parse the text, check the root element
// and turn the root's children into sections, each family reading them by
// name with tables of its own (name_rules.hpp).
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "model/record/document.hpp"
#include "source/parse_error.hpp"
#include "source/xml/kept_nodes.hpp"
#include "source/xml/name_rules.hpp"
#include "source/xml/xml_tree.hpp"

namespace quillmark {

// Which children of the root become sections.
enum class RootChildren { Elements, AllNodes };

struct XmlFamily {
    std::string_view root;                // the root element's name
    std::string_view wrong_root_message;  // the error when the root has another name
    RootChildren sections = RootChildren::Elements;
    RoleTable element_roles = {};  // the roles of the generation's kept elements
};

// The first element child of the document, or no_node.
XmlId root_element(const XmlTree& tree);

struct RootedTree {
    XmlTree tree;
    XmlId root;
};

// Parses the text and finds its root element, which must be named as the
// family says.
Result<RootedTree, ParseError> parse_rooted(std::string_view text, const XmlFamily& family);

// The whole parse of a document of the family: one section per child of
// the root, made by `read_section(tree, child)`, and the root's attributes.
template <class ReadSection>
ParseResult read_xml_document(std::string_view text, SourceFormat format, const XmlFamily& family,
                              ReadSection&& read_section) {
    auto parsed = parse_rooted(text, family);
    if (!parsed) return parsed.error();
    const XmlTree& tree = parsed.value().tree;
    const XmlId root = parsed.value().root;
    Document document;
    document.source_format = format;
    for (XmlId child = tree.first_child(root); child != no_node; child = tree.next_sibling(child))
        if (family.sections == RootChildren::AllNodes || tree.is_element(child))
            document.sections.push_back(read_section(tree, child));
    document.attributes = attributes_of(tree, root);
    return document;
}

// A family's reader lists the members that read a root child into a
// section, and the members that read a child of the bibliographic element
// into items, by element name.
template <class Reader>
using SectionRule = NameRule<Section (Reader::*)(XmlId) const>;
template <class Reader>
using ItemRule = NameRule<void (Reader::*)(XmlId, std::vector<BibliographicItem>&) const>;

// The section the rules make of a child of the root; an element without a
// rule is kept whole as an Other section.
template <class Reader>
Section read_section_by_name(const Reader& reader, const XmlTree& tree, XmlId id,
                             std::span<const SectionRule<Reader>> rules) {
    if (const auto* read = handler_for(rules, tree.name(id))) return (reader.*(*read))(id);
    return OtherSection{to_node(tree, id)};
}

// The items the rules make of each element child of a bibliographic
// element; a child without a rule is kept whole as an Other item.
template <class Reader>
BibliographicSection read_items_by_name(const Reader& reader, const XmlTree& tree, XmlId id,
                                        std::span<const ItemRule<Reader>> rules) {
    BibliographicSection section{attributes_of(tree, id), {}};
    for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child)) {
        if (!tree.is_element(child)) continue;
        if (const auto* read = handler_for(rules, tree.name(child)))
            (reader.*(*read))(child, section.items);
        else
            section.items.emplace_back(OtherItem{to_node(tree, child)});
    }
    return section;
}

}  // namespace quillmark
