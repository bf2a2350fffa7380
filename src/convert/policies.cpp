#include "convert/policies.h"

#include "module/globals.h"

namespace pyrqx {

std::string observations(long numobs) {
    return "the range has " + std::to_string(numobs) + " observation" + (numobs == 1 ? "" : "s");
}

bool list_too_short(const Signature& sig, size_t list, size_t has, const std::string& why) {
    PyErr_Format(PyExc_ValueError, "%s(): %s holds %zu element%s but %s", sig.name, sig.params[list],
                 has, has == 1 ? "" : "s", why.c_str());
    return false;
}

bool list_missing(const Signature& sig, size_t list, const std::string& why) {
    PyErr_Format(PyExc_ValueError, "%s(): %s is None but the library reads it and %s", sig.name,
                 sig.params[list], why.c_str());
    return false;
}

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
