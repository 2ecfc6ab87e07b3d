// The hint for a file's path passed where a publication's text belongs, as
// lxml's habit of taking a path leads Python callers to do.
#pragma once

#include <string>
#include <string_view>

#include "binding/python.hpp"

namespace quillmark {

// Raises ValueError with `message`, or, when `text` is a short single line
// that starts like a path or names an existing file, with a message that
// says so and what to do instead. Returns nullptr.
PyObject* raise_parse_failure(std::string_view text, const std::string& message);

// After the arguments of a function taking `xml` failed to bind: when that
// argument is a path object (os.PathLike), the TypeError raised says to pass
// the file's text instead. Returns nullptr.
PyObject* hint_at_path_object(PyObject* args, PyObject* kwargs);

}  // namespace quillmark
