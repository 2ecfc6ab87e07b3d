// Copies of XmlTree nodes that a parser keeps without a rule of its own:
// generic Nodes, attribute lists, and the text an entity reference stands
// for.
#pragma once

#include "model/record/document.hpp"
#include "source/xml/xml_tree.hpp"

namespace quillmark {

Attributes attributes_of(const XmlTree& tree, XmlId id);
Node to_node(const XmlTree& tree, XmlId id);

// Writes the kept copy of `id` (an element with its subtree, or one text
// run) where the writer stands.
void write_kept(const XmlTree& tree, XmlId id, NodeWriter& out);

// An entity reference stands for its replacement text when the parser knew
// the entity, and for itself ("&name;") when it did not, so no text is lost.
template <typename Writer>
void add_entity_reference_text(const XmlTree& tree, XmlId id, Writer& out) {
    if (tree.has_text(id))
        out.add_text({tree.text(id)});
    else
        out.add_text({"&", tree.name(id), ";"});
}

// Entries and string bytes of an entry table, for sizing its buffers once.
struct TableSize {
    std::size_t entries = 0;
    std::size_t bytes = 0;
};
// Adds what the kept copy of `id` needs.
void add_kept_size(const XmlTree& tree, XmlId id, TableSize& size);

}  // namespace quillmark
