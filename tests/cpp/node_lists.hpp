// Kept-node children and attributes as vectors, so tests can index them.
#pragma once

#include <vector>

#include "model/node.hpp"

namespace quillmark {

inline std::vector<Node::Ref> child_list(Node::Ref node) {
    std::vector<Node::Ref> children;
    for (Node::Ref child : node.children()) children.push_back(child);
    return children;
}

inline std::vector<Node::AttributeView> attribute_list(Node::Ref node) {
    std::vector<Node::AttributeView> attributes;
    for (const Node::AttributeView& attribute : node.attributes()) attributes.push_back(attribute);
    return attributes;
}

}  // namespace quillmark
