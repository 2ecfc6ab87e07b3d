#include "binding/python.hpp"

#include <algorithm>
#include <cstring>

#include "model/text/utf8.hpp"

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

namespace {

// str.isascii, which CPython answers from a flag without reading the text.
// The method of str itself, so that a subclass cannot change the answer.
bool is_ascii(PyObject* text) {
    Ref answer(PyObject_CallMethod(reinterpret_cast<PyObject*>(&PyUnicode_Type), "isascii", "O", text));
    if (!answer) {
        PyErr_Clear();
        return false;
    }
    return answer.get() == Py_True;
}

std::optional<Utf8Text> utf8_in_place(PyObject* text) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(text, &size);
    if (!data) return std::nullopt;
    return Utf8Text(data, static_cast<std::size_t>(size));
}

// The text is taken out as code points a slice at a time, so that their
// buffer stays small and in the cache, and no large temporary is made that
// would stay in the heap after the call, whatever the length of the str.
constexpr Py_ssize_t slice_length = 16384;

}  // namespace

std::optional<Utf8Text> utf8_of(PyObject* object) {
    if (is_ascii(object)) return utf8_in_place(object);
    const Py_ssize_t length = PyUnicode_GetLength(object);
    if (length < 0) return std::nullopt;

    const auto longest_slice = static_cast<std::size_t>(std::min(length, slice_length));
    // Room for the text if an eighth of it is two or three bytes wide; more
    // only if it is wider.
    std::size_t capacity = static_cast<std::size_t>(length) + static_cast<std::size_t>(length) / 8 + 4 * longest_slice;
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    const auto code_points = std::make_unique_for_overwrite<Py_UCS4[]>(longest_slice);
    std::size_t size = 0;
    for (Py_ssize_t start = 0; start < length; start += slice_length) {
        const Py_ssize_t end = std::min(length, start + slice_length);
        const auto count = static_cast<std::size_t>(end - start);
        Ref slice(PyUnicode_Substring(object, start, end));
        if (!slice || !PyUnicode_AsUCS4(slice.get(), code_points.get(), end - start, 0)) return std::nullopt;
        if (size + 4 * count > capacity) {
            capacity = std::max(2 * capacity, size + 4 * count);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(larger.get(), buffer.get(), size);
            buffer = std::move(larger);
        }
        char* out = buffer.get() + size;
        // A surrogate: CPython raises its own error for it.
        if (!encode_utf8(code_points.get(), count, out)) return utf8_in_place(object);
        size = static_cast<std::size_t>(out - buffer.get());
    }
    return Utf8Text(std::move(buffer), size);
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
