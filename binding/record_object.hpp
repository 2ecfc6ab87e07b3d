// A Python object that owns one C++ record: the pieces the record classes
// Claim and Citation share (no constructor, release with the object,
// creation from a record). Document keeps its parsed document and summary
// in an object of its own (document_type.cpp).
#pragma once

#include <memory>
#include <string>

#include "binding/python.hpp"

namespace quillmark {

template <class Record>
struct RecordObject {
    PyObject_HEAD
    Record* record;
};

template <class Record>
const Record& record_of(PyObject* self) {
    return *reinterpret_cast<RecordObject<Record>*>(self)->record;
}

// The class's tp_new: instances come from the module only.
template <const char* class_name>
PyObject* refuse_construction(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, (std::string("No constructor defined for ") + class_name).c_str());
    return nullptr;
}

template <class Record>
void release_record_object(PyObject* self) {
    delete reinterpret_cast<RecordObject<Record>*>(self)->record;
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

// A new instance of `type` owning `record`; nullptr with a Python
// exception set when the allocation fails.
template <class Record>
PyObject* new_record_object(PyObject* type, Record record) {
    auto* python_type = reinterpret_cast<PyTypeObject*>(type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(python_type, Py_tp_alloc));
    auto owned = std::make_unique<Record>(std::move(record));  // may throw: before the object exists
    PyObject* object = alloc(python_type, 0);
    if (!object) return nullptr;
    reinterpret_cast<RecordObject<Record>*>(object)->record = owned.release();
    return object;
}

}  // namespace quillmark
