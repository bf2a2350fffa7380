#include "policies/write_back.h"

namespace pyrqx {

int WhenStatusIsSuccess::status_is_success(int status) {
    PyObject* name = PyUnicode_InternFromString("HSUCC");
    if (name == nullptr) return -1;
    PyObject* hsucc = PyDict_GetItemWithError(globals.dict, name);  // borrowed
    if (hsucc == nullptr && !PyErr_Occurred()) {
        PyObject* builtins = PyEval_GetBuiltins();  // borrowed
        hsucc = builtins ? PyDict_GetItemWithError(builtins, name) : nullptr;
        if (hsucc == nullptr && !PyErr_Occurred())
            PyErr_Format(PyExc_NameError, "name '%U' is not defined", name);
    }
    Py_DECREF(name);
    if (hsucc == nullptr) return -1;
    Py_INCREF(hsucc);  // the comparison may run code that rebinds it
    PyObject* value = PyLong_FromLong(status);
    int equal = value ? PyObject_RichCompareBool(value, hsucc, Py_EQ) : -1;
    Py_XDECREF(value);
    Py_DECREF(hsucc);
    return equal;
}

}  // namespace pyrqx
