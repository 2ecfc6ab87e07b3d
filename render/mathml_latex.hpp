// Presentation MathML, as USPTO writes it, as LaTeX math for "$...$" and
// "$$...$$": tokens (mi, mn, mo, mtext, mspace), layouts (mrow, msub, msup,
// msubsup, mfrac, msqrt, mroot, mover, munder, munderover, mfenced, mtable)
// and style wrappers. Operators and letters that LaTeX names are written
// as their commands; an element without a rule keeps its text, never its
// tags.
#pragma once

#include <string>

#include "model/record/node.hpp"

namespace quillmark {

std::string mathml_to_latex(Node::Ref math);

}  // namespace quillmark
