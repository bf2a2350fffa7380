// Allocation failures before a call: MemoryError with the size asked for,
// then named after the parameter whose room it was, "valary: cannot allocate
// 17179869176 bytes for 2147483647 elements".
#pragma once
#include <Python.h>

#include <cstddef>

namespace pyrqx {

inline void raise_no_memory(size_t bytes) {
    PyErr_Format(PyExc_MemoryError, "cannot allocate %zu bytes", bytes);
}

inline void raise_no_memory(size_t bytes, size_t elements) {
    PyErr_Format(PyExc_MemoryError, "cannot allocate %zu bytes for %zu elements", bytes, elements);
}

// Puts `param` before the text of a pending MemoryError (one the interpreter
// raised without a text gets a plain one). Other exceptions are left alone.
// Returns false, for `return allocated || name_memory_error(...)`.
bool name_memory_error(const char* param);

}  // namespace pyrqx
