// The object read_bulk_arrow returns: it implements the Arrow PyCapsule
// interface (`__arrow_c_schema__`, `__arrow_c_stream__`), so pyarrow,
// polars, DuckDB and any other Arrow consumer read its record batches
// without copies and without pyarrow in this module.
#pragma once

#include <memory>
#include <vector>

#include "binding/arrow_batches.hpp"
#include "binding/python.hpp"

namespace quillmark {

// Creates the class and adds it to the module; false with a Python
// exception set on failure.
bool add_arrow_stream_type(PyObject* module);

// A new stream object over `batches`, which `schema` describes; nullptr with
// a Python exception set on failure.
PyObject* new_arrow_stream(std::unique_ptr<arrow::OwnedSchema> schema, std::unique_ptr<arrow::BatchStream> batches);

}  // namespace quillmark
