#include "binding/python_record.hpp"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/facts/record.hpp"

namespace quillmark {

namespace {

// Builds the objects as the walk goes: every value joins the container on
// top of the stack, under the pending key when that is a dict. After a
// failed call the builder ignores the rest and reports it at the end.
class PythonBuilder final : public RecordSink {
public:
    void begin_object() override { open(PyDict_New()); }
    void end_object() override { close(); }
    void begin_list() override { open(PyList_New(0)); }
    void end_list() override { close(); }
    void key(std::string_view name) override { set_key(literal(name)); }
    void attribute_key(std::string_view name) override { set_key(named(name)); }
    void symbol(std::string_view value) override {
        PyObject* shared = failed_ ? nullptr : literal(value);
        Py_XINCREF(shared);
        add(shared);
    }
    void text(std::string_view value) override { add(py::new_str(value)); }
    void number(std::uint64_t value) override { add(PyLong_FromUnsignedLongLong(value)); }
    void boolean(bool value) override { add(PyBool_FromLong(value)); }
    void null() override {
        Py_INCREF(Py_None);
        add(Py_None);
    }

    PyObject* result() {
        if (failed_ || !root_) {
            if (!PyErr_Occurred()) PyErr_SetString(PyExc_RuntimeError, "the record could not be built");
            return nullptr;
        }
        return root_.release();
    }

private:
    void set_key(PyObject* key) {
        if (failed_) return;
        pending_key_ = key;
        if (!pending_key_) failed_ = true;
    }

    // Keys, types and attribute names come from a small vocabulary: each
    // becomes one str, shared by every object that uses it. A literal of the
    // walk is found by its address, any other name by its text. Borrowed.
    PyObject* literal(std::string_view name) {
        auto found = literals_.find(name.data());
        if (found != literals_.end()) return found->second;
        PyObject* text = named(name);
        if (text) literals_.emplace(name.data(), text);
        return text;
    }

    PyObject* named(std::string_view name) {
        if (failed_) return nullptr;
        auto found = names_.find(name);
        if (found != names_.end()) return found->second.get();
        py::Ref text(py::new_str(name));
        if (!text) return nullptr;
        PyObject* borrowed = text.get();
        names_.emplace(std::string(name), std::move(text));
        return borrowed;
    }

    // Attaches a new reference to the open container (or makes it the
    // root); false after a failure.
    bool attach(PyObject* object) {
        if (failed_ || !object) {
            Py_XDECREF(object);
            failed_ = true;
            return false;
        }
        if (open_.empty()) {
            root_ = py::Ref(object);
            return true;
        }
        PyObject* container = open_.back();
        const int status =
            PyList_Check(container) ? PyList_Append(container, object) : PyDict_SetItem(container, pending_key_, object);
        Py_DECREF(object);
        if (status < 0) failed_ = true;
        return !failed_;
    }

    void add(PyObject* object) { attach(object); }

    void open(PyObject* container) {
        if (!attach(container)) return;
        open_.push_back(container);  // borrowed: its parent (or the root) holds it
    }

    void close() {
        if (!failed_) open_.pop_back();
    }

    py::Ref root_;
    std::vector<PyObject*> open_;
    PyObject* pending_key_ = nullptr;
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    std::unordered_map<std::string, py::Ref, NameHash, std::equal_to<>> names_;
    std::unordered_map<const char*, PyObject*> literals_;  // borrowed from names_
    bool failed_ = false;
};

// The cyclic collector would scan the growing tree again and again while
// it is built, for nothing: the tree holds no cycle.
class CollectorPause {
public:
    CollectorPause() : was_enabled_(PyGC_Disable()) {}
    ~CollectorPause() {
        if (was_enabled_) PyGC_Enable();
    }
    CollectorPause(const CollectorPause&) = delete;
    CollectorPause& operator=(const CollectorPause&) = delete;

private:
    int was_enabled_;
};

}  // namespace

PyObject* record_to_python(const Document& document, const DocumentSummary& summary) {
    const CollectorPause pause;
    PythonBuilder builder;
    write_record(document, summary, builder);
    return builder.result();
}

}  // namespace quillmark
