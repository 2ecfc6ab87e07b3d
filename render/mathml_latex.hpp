// Presentation MathML, as USPTO writes it, as LaTeX math for "$...$" and
// "$$...$$": tokens (mi, mn, mo, mtext, mspace), layouts (mrow, msub, msup,
// msubsup, mfrac, msqrt, mroot, mover, munder, munderover, mfenced, mtable)
// and style wrappers. Operators and letters that LaTeX names are written
// as their commands; an element without a rule keeps its text, never its
// tags.
//
// Bound: linear time and output. Each node is converted once; the text of
// an accent, a limit or a large operator is read only from a token (through
// at most two rows), and an equation number only from a table's cells; the
// output is the input's characters, each at most a command long, plus a
// constant per element.
#pragma once

#include <string>

#include "model/record/node.hpp"

namespace quillmark {

// A displayed formula that is a table of numbered equations gives each its
// number as "\tag{n}" (in "gather*" for several), not as a column.
std::string mathml_to_latex(Node::Ref math, bool displayed = false);

}  // namespace quillmark
