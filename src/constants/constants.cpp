#include "module/registry.h"

namespace pyrqx {
namespace {

struct Constant {
    const char* name;
    long value;
    PyObject* py_name;
    PyObject* py_value;
};

Constant constants[] = {
#define CRQX_CONST(name, value) {#name, value, nullptr, nullptr},
#include "crqx_constants.def"
#undef CRQX_CONST
};

}  // namespace

bool create_constants() {
    for (Constant& c : constants) {
        if (c.py_name == nullptr) c.py_name = PyUnicode_InternFromString(c.name);
        if (c.py_value == nullptr) c.py_value = PyLong_FromLong(c.value);
        if (c.py_name == nullptr || c.py_value == nullptr) return false;
    }
    return true;
}

bool add_constants(PyObject* dict) {
    for (const Constant& c : constants) {
        if (PyDict_SetItem(dict, c.py_name, c.py_value) < 0) return false;
    }
    return true;
}

}  // namespace pyrqx
