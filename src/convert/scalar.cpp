#include "convert/scalar.h"

#include <climits>

namespace pyrqx {
namespace {

const char kTooLarge[] = "Python int too large to convert to C long";

// The value of an int object, kept within 32 bits whatever the width of long.
bool int_value(PyObject* integer, long* out) {
    long v = PyLong_AsLong(integer);
    if (v == -1 && PyErr_Occurred()) return false;
    if (v < INT_MIN || v > INT_MAX) {
        PyErr_SetString(PyExc_OverflowError, kTooLarge);
        return false;
    }
    *out = v;
    return true;
}

// Objects that are not ints go through their type's integer slot; strings
// therefore never parse as numbers.
bool slot_value(PyObject* obj, long* out) {
    PyNumberMethods* nb = Py_TYPE(obj)->tp_as_number;
    if (nb == nullptr || nb->nb_int == nullptr) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        return false;
    }
    PyObject* result = nb->nb_int(obj);
    if (result == nullptr) return false;
    if (!PyLong_CheckExact(result)) {
        if (!PyLong_Check(result)) {
            PyErr_Format(PyExc_TypeError, "__%.4s__ returned non-%.4s (type %.200s)", "int", "int",
                         Py_TYPE(result)->tp_name);
            Py_DECREF(result);
            return false;
        }
        if (PyErr_WarnFormat(PyExc_DeprecationWarning, 1,
                             "__int__ returned non-int (type %.200s).  The ability to return an "
                             "instance of a strict subclass of int is deprecated, and may be "
                             "removed in a future version of Python.",
                             Py_TYPE(result)->tp_name) < 0) {
            Py_DECREF(result);
            return false;
        }
    }
    bool ok = int_value(result, out);
    Py_DECREF(result);
    return ok;
}

bool long_value(PyObject* obj, long* out) {
    if (PyLong_Check(obj)) return int_value(obj, out);
    return slot_value(obj, out);
}

}  // namespace

bool to_int_slow(PyObject* obj, int* out) {
    long v;
    if (!long_value(obj, &v)) return false;
    *out = static_cast<int>(v);
    return true;
}

bool to_double(PyObject* obj, double* out) {
    if (PyFloat_CheckExact(obj)) {
        *out = PyFloat_AS_DOUBLE(obj);
        return true;
    }
    double v = PyFloat_AsDouble(obj);
    if (v == -1.0 && PyErr_Occurred()) return false;
    *out = v;
    return true;
}

bool to_float(PyObject* obj, float* out) {
    double v;
    if (!to_double(obj, &v)) return false;
    *out = static_cast<float>(v);  // rounding narrowing; huge magnitudes become infinities
    return true;
}

}  // namespace pyrqx
