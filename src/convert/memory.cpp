#include "convert/memory.h"

namespace pyrqx {

bool name_memory_error(const char* param) {
    if (!PyErr_ExceptionMatches(PyExc_MemoryError)) return false;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyObject* text = value != nullptr && value != Py_None ? PyObject_Str(value) : nullptr;
    if (text != nullptr && PyUnicode_GetLength(text) > 0) {
        PyErr_Format(PyExc_MemoryError, "%s: %U", param, text);
    } else {
        PyErr_Format(PyExc_MemoryError, "%s: cannot allocate its room", param);
    }
    Py_XDECREF(text);
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    return false;
}

}  // namespace pyrqx
