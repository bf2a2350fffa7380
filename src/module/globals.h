// Process-wide objects that the module creates once at import and keeps for
// the life of the process.
#pragma once
#include <Python.h>

namespace pyrqx {

struct Globals {
    PyObject* module = nullptr;  // the module object (owned)
    PyObject* dict = nullptr;    // its dictionary (borrowed from module)
    PyObject* zero = nullptr;    // int 0: the key of a cell that is not a sequence
    PyObject* empty_tuple = nullptr;
    PyObject* empty_bytes = nullptr;
    PyObject* empty_str = nullptr;
};

extern Globals globals;

}  // namespace pyrqx
