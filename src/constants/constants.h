#pragma once
#include <Python.h>

namespace pyrqx {

// Creates the interned names and int objects of the interface's constants
// (kept for the life of the process), then stores them into the module
// dictionary in their canonical order.
bool create_constants();
bool add_constants(PyObject* dict);

}  // namespace pyrqx
