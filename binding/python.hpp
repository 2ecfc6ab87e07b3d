// The CPython stable ABI and thin owning helpers over it.
#pragma once

#ifndef Py_LIMITED_API
#define Py_LIMITED_API 0x030A0000
#endif
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstddef>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark::py {

// An owned reference, released when it goes out of scope.
class Ref {
public:
    Ref() = default;
    explicit Ref(PyObject* object) : object_(object) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : object_(other.release()) {}
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            Py_XDECREF(object_);
            object_ = other.release();
        }
        return *this;
    }
    ~Ref() { Py_XDECREF(object_); }

    PyObject* get() const { return object_; }
    PyObject* release() {
        PyObject* object = object_;
        object_ = nullptr;
        return object;
    }
    explicit operator bool() const { return object_ != nullptr; }

private:
    PyObject* object_ = nullptr;
};

inline PyObject* new_str(std::string_view text) {
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

inline PyObject* new_optional_str(const std::optional<std::string>& text) {
    if (!text) Py_RETURN_NONE;
    return new_str(*text);
}

PyObject* new_str_list(const std::vector<std::string>& texts);

// The UTF-8 of a str. An ASCII str is read in place. Any other is encoded
// into a buffer of this object's own: that is several times faster than
// CPython's conversion, and the str is not left holding a UTF-8 copy of
// itself for as long as it lives.
class Utf8Text {
public:
    Utf8Text(const char* data, std::size_t size) : data_(data), size_(size) {}
    Utf8Text(std::unique_ptr<char[]> buffer, std::size_t size)
        : buffer_(std::move(buffer)), data_(buffer_.get()), size_(size) {}

    std::string_view view() const { return {data_, size_}; }

private:
    std::unique_ptr<char[]> buffer_;
    const char* data_;
    std::size_t size_;
};

// Nothing when `object` is not a str or cannot be encoded (a Python exception
// is set then: CPython's own UnicodeEncodeError for a lone surrogate).
std::optional<Utf8Text> utf8_of(PyObject* object);

// Raises ValueError with `message` and returns nullptr.
PyObject* raise_value_error(const std::string& message);

// Checks that `object` is None or a str; raises TypeError naming the function
// and argument otherwise.
bool is_optional_str(PyObject* object, const char* function, const char* argument);

// Wraps an entry that the interpreter calls so that an allocation failure
// below it (a document too large for the memory at hand) raises MemoryError
// instead of ending the process: guarded<function> has the same signature.
template <class Signature>
struct Guard;
template <class... Args>
struct Guard<PyObject* (*)(Args...)> {
    template <PyObject* (*Function)(Args...)>
    static PyObject* call(Args... args) noexcept {
        try {
            return Function(args...);
        } catch (const std::bad_alloc&) {
            return PyErr_NoMemory();
        }
    }
};
template <auto Function>
inline constexpr auto guarded = &Guard<decltype(Function)>::template call<Function>;

// The PyGetSetDef array of a class whose read-only attributes are the
// entries of a table (each has a `name` and a `doc`), in the table's order:
// `get` reads every one, with its entry as the closure (entry_of). The last
// element, all zero, ends the array.
template <class Entry, std::size_t size>
constexpr std::array<PyGetSetDef, size + 1> read_only_attributes(const Entry (&table)[size], getter get) {
    std::array<PyGetSetDef, size + 1> attributes{};
    for (std::size_t i = 0; i < size; ++i)
        attributes[i] = {table[i].name, get, nullptr, table[i].doc, const_cast<Entry*>(&table[i])};
    return attributes;
}

template <class Entry>
const Entry& entry_of(void* closure) {
    return *static_cast<const Entry*>(closure);
}

}  // namespace quillmark::py
