#include "source/xml/document_id.hpp"

#include "source/xml/readers.hpp"

namespace quillmark {

DocumentId read_document_id(const XmlTree& tree, XmlId id) {
    DocumentId result;
    result.doc_number = child_text(tree, id, {"doc-number"}).value_or(std::string());
    result.kind = child_text(tree, id, {"kind"});
    result.date = child_text(tree, id, {"date"});
    result.country = child_text(tree, id, {"country"});
    return result;
}

}  // namespace quillmark
