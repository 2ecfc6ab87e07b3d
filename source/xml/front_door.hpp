// The single place where the XML formats meet the XML library: the text
// becomes a flat node tree (xml_tree.hpp) that the parsers read.
#pragma once

#include <string_view>

#include "source/parse_error.hpp"
#include "source/xml/xml_tree.hpp"

namespace quillmark {

// Parses the whole text as XML 1.0 with namespaces under the library's
// default safety limits. External DTDs and entities are never loaded; a
// reference to an external entity is an error.
Result<XmlTree, ParseError> parse_xml(std::string_view text);

}  // namespace quillmark
