// Traceback entries for failures inside module functions.
#pragma once
#include <Python.h>

namespace pyrqx {

// Adds a frame "pyrqx.<function>" (file "pyrqx", the given line) to the
// traceback of the pending exception. `id` identifies the function; code
// objects are created once per (id, line) and cached.
void add_traceback(int id, const char* function, int line);

// The same with a literal frame name, for the import itself ("init pyrqx").
void add_traceback_named(const char* qualified_name, int line);

// Lines written into traceback entries: which step of a call failed.
enum TraceLine : int {
    kLineBinding = 1,
    kLineLoad = 10,     // + parameter position
    kLinePrepare = 40,  // checks between conversion and the library call
    kLineStore = 50,    // + parameter position
    kLineResult = 90,
};

}  // namespace pyrqx
