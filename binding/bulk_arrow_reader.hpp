// read_bulk_arrow: the publications of bulk files, archives and directories
// as a stream of Arrow record batches, one row per document.
#pragma once

#include "binding/python.hpp"

namespace quillmark {

// Creates the stream class; false with a Python exception set on failure.
bool add_bulk_arrow_types(PyObject* module);

PyObject* read_bulk_arrow(PyObject* self, PyObject* args, PyObject* kwargs);

}  // namespace quillmark
