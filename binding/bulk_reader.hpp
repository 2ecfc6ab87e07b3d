// read_bulk: the publications of bulk files, archives and directories as
// an iterator of BulkItem objects.
#pragma once

#include "binding/python.hpp"

namespace quillmark {

// Creates the iterator and BulkItem classes and adds BulkItem to the module;
// false with a Python exception set on failure.
bool add_bulk_types(PyObject* module);

PyObject* read_bulk(PyObject* self, PyObject* args, PyObject* kwargs);

}  // namespace quillmark
