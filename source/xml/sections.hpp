// Section readers whose rules the XML families share: abstracts made of
// paragraphs and kept elements, claims made of claims, headings and kept
// elements, and drawings made of figures, headings and kept elements.
#pragma once

#include "model/record/document.hpp"
#include "source/xml/readers.hpp"

namespace quillmark {

// A paragraph when the element has one of `paragraph_names`, else kept whole.
AbstractBlock read_abstract_block(const XmlTree& tree, XmlId id, Names paragraph_names, const MarkupRules& rules);
AbstractSection read_abstract(const XmlTree& tree, XmlId id, Names paragraph_names, const MarkupRules& rules);
// `claim` elements become claims, `heading` elements headings.
ClaimsSection read_claims(const XmlTree& tree, XmlId id, const MarkupRules& rules);
// `figure` elements become figures whose `image_element` children are
// images, `heading` elements headings, a `representative-figure` its text.
DrawingsSection read_drawings(const XmlTree& tree, XmlId id, std::string_view image_element, const MarkupRules& rules);

}  // namespace quillmark
