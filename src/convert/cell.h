// Item access as Python's `obj[i]` and `obj[i] = v` perform it: exact lists
// and tuples directly, other sequences through their item slot, anything else
// through the mapping protocol with an int key. A cell is such an object
// accessed at index 0.
#pragma once
#include <Python.h>

namespace pyrqx {

// New reference to obj[i], or nullptr with the object's own exception.
PyObject* item_get(PyObject* obj, Py_ssize_t i);

// obj[i] = value. Always consumes `value` (a new reference, may be nullptr
// when creating it failed, which then reports that failure).
bool item_set(PyObject* obj, Py_ssize_t i, PyObject* value);

inline PyObject* cell_get(PyObject* cell) {
    if (PyList_CheckExact(cell) && PyList_GET_SIZE(cell) > 0) {
        PyObject* v = PyList_GET_ITEM(cell, 0);
        Py_INCREF(v);
        return v;
    }
    return item_get(cell, 0);
}

inline bool cell_set(PyObject* cell, PyObject* value) {
    if (value != nullptr && PyList_CheckExact(cell) && PyList_GET_SIZE(cell) > 0) {
        PyObject* old = PyList_GET_ITEM(cell, 0);
        PyList_SET_ITEM(cell, 0, value);
        Py_DECREF(old);
        return true;
    }
    return item_set(cell, 0, value);
}

}  // namespace pyrqx
