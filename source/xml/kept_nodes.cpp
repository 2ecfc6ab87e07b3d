#include "source/xml/kept_nodes.hpp"

namespace quillmark {

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

void add_kept_size(const XmlTree& tree, XmlId id, TableSize& size) {
    ++size.entries;
    switch (tree.kind(id)) {
        case XmlKind::Element: {
            size.bytes += tree.qualified_name_size(id) + tree.attribute_bytes(id);
            size.entries += tree.attribute_count(id);
            for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child))
                add_kept_size(tree, child, size);
            return;
        }
        case XmlKind::Comment: size.bytes += tree.text(id).size() + 7; return;
        case XmlKind::ProcessingInstruction: size.bytes += tree.name(id).size() + tree.text(id).size() + 5; return;
        case XmlKind::EntityReference:
            size.bytes += tree.has_text(id) ? tree.text(id).size() : tree.name(id).size() + 2;
            return;
        default: size.bytes += tree.text(id).size(); return;
    }
}

void write_kept(const XmlTree& tree, XmlId id, NodeWriter& out) {
    switch (tree.kind(id)) {
        case XmlKind::Element: {
            out.start_element(tree.name(id), tree.prefix(id), role_of(tree.element_roles(), tree.name(id)));
            const std::size_t attributes = tree.attribute_count(id);
            for (std::size_t i = 0; i < attributes; ++i) {
                const XmlTree::Attribute a = tree.attribute(id, i);
                out.add_attribute(a.name, a.prefix, a.value);
            }
            for (XmlId child = tree.first_child(id); child != no_node; child = tree.next_sibling(child))
                write_kept(tree, child, out);
            out.end_element();
            return;
        }
        case XmlKind::Text:
        case XmlKind::CData: out.add_text({tree.text(id)}); return;
        case XmlKind::Comment: out.add_text({"<!--", tree.text(id), "-->"}); return;
        case XmlKind::ProcessingInstruction:
            if (tree.has_text(id))
                out.add_text({"<?", tree.name(id), " ", tree.text(id), "?>"});
            else
                out.add_text({"<?", tree.name(id), "?>"});
            return;
        case XmlKind::EntityReference: add_entity_reference_text(tree, id, out); return;
        case XmlKind::Document: out.add_text({}); return;
    }
}

Node to_node(const XmlTree& tree, XmlId id) {
    TableSize size;
    add_kept_size(tree, id, size);
    EntryTable table;
    table.reserve(size.entries, size.bytes);
    NodeWriter writer(table);
    write_kept(tree, id, writer);
    return Node(std::move(table));
}

}  // namespace quillmark
