// Sequence-listing supplements (`sequence-cwu`). Only the publication
// reference is typed; every other child node of the root, text and comments
// included, is kept verbatim as a section of its own.
#include "source/parsers.hpp"
#include "source/xml/document_id.hpp"
#include "source/xml/front_door.hpp"
#include "source/xml/readers.hpp"

namespace quillmark {

namespace {

Section read_root_child(const XmlTree& tree, XmlId id) {
    if (tree.is_element(id) && tree.name(id) == "publication-reference") {
        if (XmlId document_id = find_child(tree, id, {"document-id"})) {
            BibliographicSection section{attributes_of(tree, id), {}};
            section.items.emplace_back(PublicationReference{read_document_id(tree, document_id)});
            return section;
        }
    }
    return OtherSection{to_node(tree, id)};
}

}  // namespace

ParseResult parse_sequence_cwu(std::string_view text) {
    auto parsed = parse_rooted(text, "sequence-cwu", "sequence listings require sequence-cwu root");
    if (!parsed) return parsed.error();
    const XmlTree& xml = parsed.value().tree;
    const XmlId root = parsed.value().root;

    Document document;
    document.source_format = SourceFormat::UsptoSequenceCwu;
    for (XmlId child = xml.first_child(root); child != no_node; child = xml.next_sibling(child))
        document.sections.push_back(read_root_child(xml, child));
    document.attributes = attributes_of(xml, root);
    return document;
}

}  // namespace quillmark
