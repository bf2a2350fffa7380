// Conversions between Python objects and the C scalars that cross the
// library boundary. Each returns false with a Python exception set on failure.
#pragma once
#include <Python.h>

#include <climits>

namespace pyrqx {

bool to_int_slow(PyObject* obj, int* out);

// An exact int that fits one internal digit is read directly: the common
// case of every key, index and count; everything else takes the full path.
inline bool to_int(PyObject* obj, int* out) {
#if PY_VERSION_HEX >= 0x030C0000
    if (PyLong_CheckExact(obj) && PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(obj))) {
        Py_ssize_t v = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(obj));
        if (v >= INT_MIN && v <= INT_MAX) {
            *out = static_cast<int>(v);
            return true;
        }
    }
#elif !defined(Py_LIMITED_API)
    if (PyLong_CheckExact(obj)) {
        Py_ssize_t size = Py_SIZE(obj);
        if (size == 0) {
            *out = 0;  // zero may have no digit at all
            return true;
        }
        if (size == 1 || size == -1) {
            long digit = static_cast<long>(reinterpret_cast<PyLongObject*>(obj)->ob_digit[0]);
            *out = static_cast<int>(size < 0 ? -digit : digit);  // a digit is at most 30 bits
            return true;
        }
    }
#endif
    return to_int_slow(obj, out);
}
bool to_double(PyObject* obj, double* out);
bool to_float(PyObject* obj, float* out);

// C value -> new Python object (nullptr with an exception on failure).
inline PyObject* to_python(int v) { return PyLong_FromLong(v); }
inline PyObject* to_python(float v) { return PyFloat_FromDouble(static_cast<double>(v)); }
inline PyObject* to_python(double v) { return PyFloat_FromDouble(v); }

// Python object -> C value, chosen by the C type.
inline bool from_python(PyObject* o, int* out) { return to_int(o, out); }
inline bool from_python(PyObject* o, float* out) { return to_float(o, out); }
inline bool from_python(PyObject* o, double* out) { return to_double(o, out); }

}  // namespace pyrqx
