// Sequence-listing supplements (`sequence-cwu`). Only the publication
// reference is typed; every other child node of the root, text and comments
// included, is kept verbatim as a section of its own, shown as the
// document's text.
#include <array>

#include "source/parsers.hpp"
#include "source/xml/document_id.hpp"
#include "source/xml/readers.hpp"
#include "source/xml/xml_document.hpp"

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
    return OtherSection{to_node(tree, id), true};
}

// What the elements of a sequence-listing supplement are to a reader.
constexpr std::array<NamedRole, 3> element_roles = {{
    {"number", ElementRole::Number},
    {"sequence-list-new-rules", ElementRole::SequenceListing},
    {"sequence-list-old-format", ElementRole::SequenceListing},
}};
static_assert(sorted_by_name(element_roles), "the role table must be sorted by name");

constexpr XmlFamily family{"sequence-cwu", "sequence listings require sequence-cwu root", RootChildren::AllNodes,
                           element_roles};

}  // namespace

ParseResult parse_sequence_cwu(std::string_view text) {
    return read_xml_document(text, SourceFormat::UsptoSequenceCwu, family, read_root_child);
}

}  // namespace quillmark
