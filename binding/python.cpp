#include "binding/python.hpp"

namespace quillmark::py {

PyObject* new_str_list(const std::vector<std::string>& texts) {
    Ref list(PyList_New(static_cast<Py_ssize_t>(texts.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        PyObject* item = new_str(texts[i]);
        if (!item) return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);  // steals the reference
    }
    return list.release();
}

std::optional<std::string_view> utf8_of(PyObject* object) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(object, &size);
    if (!data) return std::nullopt;
    return std::string_view(data, static_cast<std::size_t>(size));
}

PyObject* raise_value_error(const std::string& message) {
    Ref text(new_str(message));
    if (text) PyErr_SetObject(PyExc_ValueError, text.get());
    return nullptr;
}

bool is_optional_str(PyObject* object, const char* function, const char* argument) {
    if (object == Py_None || PyUnicode_Check(object)) return true;
    Ref type_name(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "__name__"));
    const char* name = "object";
    if (type_name) {
        if (const char* text = PyUnicode_AsUTF8AndSize(type_name.get(), nullptr)) name = text;
    }
    PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be str or None, not %s", function, argument, name);
    return false;
}

}  // namespace quillmark::py
