// Kinds of the date bindings beyond the shared vocabulary.
#pragma once
#include <Python.h>

#include "convert/kinds.h"
#include "module/entry.h"

namespace pyrqx {

// In cell: element 0 read and converted, its variable's address passed,
// nothing written back (the library only reads it).
template <typename T>
struct InCell : InOutCell<T> {
    using State = typename InOutCell<T>::State;
    static bool store(State&, PyObject*) { return true; }
};

template <typename T>
Param<InCell<T>> in_cell(const char* name) { return {name}; }

}  // namespace pyrqx
