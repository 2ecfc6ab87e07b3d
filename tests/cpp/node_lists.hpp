// Kept-node children, attributes and inline nodes as vectors, so tests can
// index them.
#pragma once

#include <vector>

#include "model/inline_content.hpp"
#include "model/node.hpp"

namespace quillmark {

inline std::vector<Node::Ref> child_list(Node::Ref node) {
    std::vector<Node::Ref> children;
    for (Node::Ref child : node.children()) children.push_back(child);
    return children;
}

inline std::vector<AttributeView> attribute_list(Node::Ref node) {
    std::vector<AttributeView> attributes;
    for (const AttributeView& attribute : node.attributes()) attributes.push_back(attribute);
    return attributes;
}

inline std::vector<AttributeView> attribute_list_of(InlineContent::Ref container) {
    std::vector<AttributeView> attributes;
    for (const AttributeView& attribute : container.attributes()) attributes.push_back(attribute);
    return attributes;
}

inline std::vector<InlineContent::Ref> node_list(InlineContent::Nodes nodes) {
    std::vector<InlineContent::Ref> list;
    for (InlineContent::Ref node : nodes) list.push_back(node);
    return list;
}

inline std::vector<InlineContent::Ref> node_list(const InlineContent& content) { return node_list(content.nodes()); }

}  // namespace quillmark
