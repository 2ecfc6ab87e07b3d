// Inline nodes as vectors, so tests can index them.
#pragma once

#include <vector>

#include "model/inline_content.hpp"

namespace quillmark {

inline std::vector<InlineContent::Ref> node_list(InlineContent::Nodes nodes) {
    std::vector<InlineContent::Ref> list;
    for (InlineContent::Ref node : nodes) list.push_back(node);
    return list;
}

inline std::vector<InlineContent::Ref> node_list(const InlineContent& content) { return node_list(content.nodes()); }

}  // namespace quillmark
