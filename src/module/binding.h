// Binding of positional and keyword arguments to a function's parameters.
#pragma once
#include <Python.h>

#include "module/registry.h"

namespace pyrqx {

// Fills bound[0..N) with borrowed references, or raises the binding
// TypeError and returns false. N = sig.params.size().
bool bind_arguments(const Signature& sig, PyObject* args, PyObject* kwargs, PyObject** bound);

}  // namespace pyrqx
