#include "source/xml/sections.hpp"

#include "source/xml/kept_nodes.hpp"

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

namespace {

Figure read_figure(const XmlTree& tree, XmlId id, std::string_view image_element) {
    Figure figure{attributes_of(tree, id), attribute_text(tree, id, "id"), {}};
    for (XmlId child : element_children(tree, id)) {
        if (tree.name(child) == image_element)
            figure.children.emplace_back(Image{attributes_of(tree, child), attribute_text(tree, child, "id"),
                                               attribute_text(tree, child, "file"), attribute_text(tree, child, "imf"),
                                               attribute_text(tree, child, "ti")});
        else
            figure.children.emplace_back(to_node(tree, child));
    }
    return figure;
}

}  // namespace

DrawingsSection read_drawings(const XmlTree& tree, XmlId id, std::string_view image_element, const MarkupRules& rules) {
    DrawingsSection section{attributes_of(tree, id), {}};
    for (XmlId child : element_children(tree, id)) {
        const std::string_view name = tree.name(child);
        if (name == "figure")
            section.children.emplace_back(read_figure(tree, child, image_element));
        else if (name == "heading")
            section.children.emplace_back(read_heading(tree, child, rules));
        else if (name == "representative-figure")
            section.children.emplace_back(RepresentativeFigure{trimmed_text_or_empty(tree, child)});
        else
            section.children.emplace_back(to_node(tree, child));
    }
    return section;
}

}  // namespace quillmark
