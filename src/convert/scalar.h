// Conversions between Python objects and the C scalars that cross the
// library boundary. Each returns false with a Python exception set on failure.
#pragma once
#include <Python.h>

namespace pyrqx {

bool to_int(PyObject* obj, int* out);
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
