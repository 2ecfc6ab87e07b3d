#include "source/xml/sections.hpp"

#include "source/xml/front_door.hpp"

namespace quillmark {

AbstractBlock read_abstract_block(const XmlTree& tree, XmlId id, Names paragraph_names, const MarkupRules& rules) {
    if (name_is_one_of(tree.name(id), paragraph_names)) return read_paragraph(tree, id, rules);
    return to_node(tree, id);
}

AbstractSection read_abstract(const XmlTree& tree, XmlId id, Names paragraph_names, const MarkupRules& rules) {
    AbstractSection section{attributes_of(tree, id), {}};
    for (XmlId child : element_children(tree, id))
        section.blocks.push_back(read_abstract_block(tree, child, paragraph_names, rules));
    return section;
}

ClaimsSection read_claims(const XmlTree& tree, XmlId id, const MarkupRules& rules) {
    ClaimsSection section{attributes_of(tree, id), {}};
    for (XmlId child : element_children(tree, id)) {
        const std::string_view name = tree.name(child);
        if (name == "claim")
            section.children.emplace_back(
                ClaimEntry{attributes_of(tree, child), attribute_text(tree, child, "id"), read_inline(tree, child, rules)});
        else if (name == "heading")
            section.children.emplace_back(read_heading(tree, child, rules));
        else
            section.children.emplace_back(to_node(tree, child));
    }
    return section;
}

}  // namespace quillmark
