// The `document-id` element of the version 4 vocabulary, which the v4.x
// grants and applications and the sequence listings share.
#pragma once

#include "model/record/document.hpp"
#include "source/xml/xml_tree.hpp"

namespace quillmark {

// doc-number (empty when absent), kind, date and country, each trimmed and
// absent when missing or blank.
DocumentId read_document_id(const XmlTree& tree, XmlId id);

}  // namespace quillmark
