// The single place where the XML formats meet the XML library: the text
// becomes a flat node tree, and any node a parser keeps without a rule of its
// own becomes a generic Node.
#pragma once

#include <string_view>

#include "model/document.hpp"
#include "source/parse_error.hpp"
#include "source/xml/xml_tree.hpp"

namespace quillmark {

// Parses the whole text as XML 1.0 with namespaces under the library's
// default safety limits. External DTDs and entities are never loaded; a
// reference to an external entity is an error.
Result<XmlTree, ParseError> parse_xml(std::string_view text);

// The first element child of the document, or no_node.
XmlId root_element(const XmlTree& tree);

struct RootedTree {
    XmlTree tree;
    XmlId root;
};

// Parses the text and finds its root element, which must be named
// `root_name`; fails with `wrong_root_message` otherwise.
Result<RootedTree, ParseError> parse_rooted(std::string_view text, std::string_view root_name,
                                            std::string_view wrong_root_message);

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
