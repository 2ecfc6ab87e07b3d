// The whole record of a document as Python dicts, lists, strs, ints, bools
// and Nones (Document.to_dict).
#pragma once

#include "binding/python.hpp"
#include "model/record/document.hpp"
#include "model/facts/summary.hpp"

namespace quillmark {

// A new dict, or nullptr with a Python exception set.
PyObject* record_to_python(const Document& document, const DocumentSummary& summary);

}  // namespace quillmark
