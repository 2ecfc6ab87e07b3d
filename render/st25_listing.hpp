// A sequence listing in the printed layout of WIPO ST.25: one "<210>  1"
// line per numeric identifier of the USPTO "s210" elements, the groups
// apart by blank lines, the residues of "<400>" as written, all in a
// fenced "text" block. A listing in the older headed format is its text
// as written.
//
// Bound: one pass over the listing; the output is its text plus one tag
// and line feed per element.
#pragma once

#include <string>

#include "model/record/node.hpp"
#include "render/cals_table.hpp"

namespace quillmark {

std::string st25_listing(Node::Ref listing);
// An older listing kept as a table of lines: each row one line as written,
// rows with nothing in them left out.
std::string table_listing(Node::Ref table);

}  // namespace quillmark
