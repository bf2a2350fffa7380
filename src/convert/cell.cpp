#include "convert/cell.h"

namespace pyrqx {

PyObject* item_get(PyObject* obj, Py_ssize_t i) {
    if (PyList_CheckExact(obj)) {
        if (i < PyList_GET_SIZE(obj)) {
            PyObject* v = PyList_GET_ITEM(obj, i);
            Py_INCREF(v);
            return v;
        }
    } else if (PyTuple_CheckExact(obj)) {
        if (i < PyTuple_GET_SIZE(obj)) {
            PyObject* v = PyTuple_GET_ITEM(obj, i);
            Py_INCREF(v);
            return v;
        }
    }
    PySequenceMethods* sq = Py_TYPE(obj)->tp_as_sequence;
    if (sq != nullptr && sq->sq_item != nullptr) return sq->sq_item(obj, i);
    PyObject* key = PyLong_FromSsize_t(i);
    if (key == nullptr) return nullptr;
    PyObject* v = PyObject_GetItem(obj, key);
    Py_DECREF(key);
    return v;
}

bool item_set(PyObject* obj, Py_ssize_t i, PyObject* value) {
    if (value == nullptr) return false;
    int rc;
    if (PyList_CheckExact(obj) && i < PyList_GET_SIZE(obj)) {
        PyObject* old = PyList_GET_ITEM(obj, i);
        PyList_SET_ITEM(obj, i, value);
        Py_DECREF(old);
        return true;
    }
    PySequenceMethods* sq = Py_TYPE(obj)->tp_as_sequence;
    if (sq != nullptr && sq->sq_ass_item != nullptr) {
        rc = sq->sq_ass_item(obj, i, value);
    } else {
        PyObject* key = PyLong_FromSsize_t(i);
        rc = key == nullptr ? -1 : PyObject_SetItem(obj, key, value);
        Py_XDECREF(key);
    }
    Py_DECREF(value);
    return rc == 0;
}

}  // namespace pyrqx
