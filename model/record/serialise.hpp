// Writes a kept Node back as XML-like text.
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark {

// Text runs are entity-decoded; tags are written in full (never
// self-closing); nothing is escaped and no white space is added.
void append_serialised(std::string& out, Node::Ref node);
std::string serialise_node(Node::Ref node);

}  // namespace quillmark
