#pragma once

#include "binding/python.hpp"
#include "model/record/document.hpp"

namespace quillmark {

// Creates the Citation class once; returns a borrowed reference or nullptr.
PyObject* create_citation_type();
PyObject* new_citation_object(Citation citation);

}  // namespace quillmark
