// The hint for a file's path passed where a publication's text belongs.
#include "binding/path_hint.hpp"

#include <filesystem>
#include <system_error>

#include "binding/repr.hpp"

namespace quillmark {

namespace {

// The longest path the system takes.
constexpr std::size_t longest_path = 4096;

bool starts_like_a_path(std::string_view text) {
    for (std::string_view start : {"/", "./", "../", "~/", "~\\", ".\\", "..\\", "\\\\", "file:"})
        if (text.starts_with(start)) return true;
    const auto is_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return text.size() >= 3 && is_letter(text[0]) && text[1] == ':' && (text[2] == '\\' || text[2] == '/');
}

bool names_a_file(std::string_view text) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(text), error);
}

// A text that no publication can be, and that a path would be: one line
// (its line end and surrounding spaces aside), nothing of markup, starting
// like a path or naming a file that exists.
bool looks_like_a_path(std::string_view line) {
    if (line.empty() || line.size() > longest_path || line.find_first_of(std::string_view("\n\r<\0", 4)) != line.npos)
        return false;
    return starts_like_a_path(line) || names_a_file(line);
}

std::string_view without_surrounding_spaces(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

}  // namespace

PyObject* hint_at_path_object(PyObject* args, PyObject* kwargs) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return nullptr;
    PyObject* xml = PyTuple_Size(args) > 0 ? PyTuple_GetItem(args, 0)
                    : kwargs                ? PyDict_GetItemString(kwargs, "xml")
                                            : nullptr;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    py::Ref error_type(type), error(value), error_traceback(traceback);
    const bool is_path = xml && PyObject_HasAttrString(reinterpret_cast<PyObject*>(Py_TYPE(xml)), "__fspath__");
    py::Ref message(is_path && error ? PyObject_Str(error.get()) : nullptr);
    // Only where the path itself was refused (not a count of arguments).
    const char* text = message ? PyUnicode_AsUTF8AndSize(message.get(), nullptr) : nullptr;
    if (!text || std::string_view(text).find("must be str") == std::string_view::npos) {
        PyErr_Restore(error_type.release(), error.release(), error_traceback.release());
        return nullptr;
    }
    PyErr_Format(PyExc_TypeError, "%U; it is a file path: pass the file's text, or use read_bulk(path)", message.get());
    return nullptr;
}

PyObject* raise_parse_failure(std::string_view text, const std::string& message) {
    const std::string_view line = without_surrounding_spaces(text);
    if (!looks_like_a_path(line)) return py::raise_value_error(message);
    std::string hint = "the text ";
    append_quoted(hint, line);
    hint += " looks like a file path: pass the file's text, or use read_bulk(path)";
    return py::raise_value_error(hint);
}

}  // namespace quillmark
