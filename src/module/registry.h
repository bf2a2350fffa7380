// The function registry: one record per Python function, filled by the
// bindings' declarations and turned into built-in function objects at import.
#pragma once
#include <Python.h>

#include <string>
#include <vector>

namespace pyrqx {

// What binding, docstrings and tracebacks need to know of one function.
struct Signature {
    const char* name = nullptr;       // bare Python name, e.g. "qzvopdb"
    std::vector<const char*> params;  // parameter names in order
    std::vector<PyObject*> interned;  // the same, interned at import
    std::string doc;                  // "Valmora C-RQX <name>"
    int id = 0;                       // position in the registry (traceback cache key)
};

struct Function {
    const char* name;
    PyCFunction impl;
    int flags;             // METH_VARARGS | METH_KEYWORDS, METH_O or METH_NOARGS
    Signature* signature;  // null for the sentinel functions
};

using FunctionTable = std::vector<Function>;

// Each bindings file contributes one table; the constants room its sentinels.
const FunctionTable& session_functions();
const FunctionTable& object_functions();
const FunctionTable& series_functions();
const FunctionTable& attribute_functions();
const FunctionTable& date_functions();
const FunctionTable& sentinel_functions();  // in their registration order

// The constants room: creates the interned names and int objects of the
// interface's constants (kept for the life of the process), then stores
// them into the module dictionary in their canonical order.
bool create_constants();
bool add_constants(PyObject* dict);

}  // namespace pyrqx
