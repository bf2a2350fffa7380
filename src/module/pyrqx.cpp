// The module's entry point: creates the module, its constants and its
// functions. It calls nothing in the library.
#include <Python.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "convert/text.h"
#include "module/globals.h"
#include "module/registry.h"
#include "module/traceback.h"

// The Python version whose headers the module is compiled against; a test
// build may pretend another one to exercise the import-time check.
#ifndef PYRQX_BUILD_PY_MAJOR
#define PYRQX_BUILD_PY_MAJOR PY_MAJOR_VERSION
#endif
#ifndef PYRQX_BUILD_PY_MINOR
#define PYRQX_BUILD_PY_MINOR PY_MINOR_VERSION
#endif

namespace pyrqx {

Globals globals;

namespace {

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "pyrqx",
    nullptr,  // no docstring
    -1,       // no per-module state
    nullptr,  // functions are added one by one
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// Only characters 0 and 2 are compared: the major digit and the first minor one.
bool check_version() {
    // Kept to 3 characters, as in a 4-byte buffer: 3.11 reads 3.1.
    char built[16];
    std::snprintf(built, sizeof built, "%d.%d", PYRQX_BUILD_PY_MAJOR, PYRQX_BUILD_PY_MINOR);
    built[3] = '\0';
    char runtime[4] = {0};
    std::strncpy(runtime, Py_GetVersion(), 3);
    if (built[0] == runtime[0] && built[2] == runtime[2]) return true;
    char message[200];
    std::snprintf(message, sizeof message,
                  "compiletime version %s of module '%.100s' does not match runtime version %s",
                  built, "pyrqx", runtime);
    return PyErr_WarnEx(PyExc_RuntimeWarning, message, 1) == 0;
}

bool create_shared_objects() {
    globals.empty_tuple = PyTuple_New(0);
    globals.empty_bytes = PyBytes_FromStringAndSize("", 0);
    globals.empty_str = PyUnicode_FromStringAndSize("", 0);
    return globals.empty_tuple && globals.empty_bytes && globals.empty_str;
}

bool set_builtins() {
    PyObject* builtins = PyImport_AddModule("builtins");  // borrowed
    return builtins && PyObject_SetAttrString(globals.module, "__builtins__", builtins) == 0;
}

bool intern_signature(Signature& sig) {
    sig.interned.clear();
    for (const char* p : sig.params) {
        PyObject* s = PyUnicode_InternFromString(p);
        if (s == nullptr) return false;
        sig.interned.push_back(s);  // kept for the life of the process
    }
    return true;
}

// Wrapped functions in ascending name order (all qzv before all zavo_), then
// the sentinels in their own order.
std::vector<Function> registry() {
    std::vector<Function> wrapped;
    for (auto* table : {&session_functions, &object_functions, &series_functions,
                        &attribute_functions, &date_functions}) {
        const FunctionTable& t = (*table)();
        wrapped.insert(wrapped.end(), t.begin(), t.end());
    }
    std::sort(wrapped.begin(), wrapped.end(),
              [](const Function& a, const Function& b) { return std::strcmp(a.name, b.name) < 0; });
    const FunctionTable& sentinels = sentinel_functions();
    wrapped.insert(wrapped.end(), sentinels.begin(), sentinels.end());
    return wrapped;
}

// Every name string and the constants' int objects, created once.
bool create_names(std::vector<Function>& functions) {
    for (Function& f : functions) {
        if (f.signature != nullptr && !intern_signature(*f.signature)) return false;
    }
    if (!create_constants()) return false;
    globals.zero = PyLong_FromLong(0);
    return create_encode_call() && globals.zero;
}

bool register_in_sys_modules() {
    PyObject* modules = PyImport_GetModuleDict();  // borrowed
    PyObject* present = PyDict_GetItemString(modules, "pyrqx");
    return present != nullptr || PyDict_SetItemString(modules, "pyrqx", globals.module) == 0;
}

bool import_struct() {
    PyObject* mod = PyImport_ImportModule("struct");
    if (mod == nullptr) return false;
    int rc = PyDict_SetItemString(globals.dict, "struct", mod);
    Py_DECREF(mod);
    return rc == 0;
}

bool add_functions(std::vector<Function>& functions) {
    // Method records must outlive the function objects: keep them for good.
    static std::vector<PyMethodDef> defs;
    defs.clear();
    defs.reserve(functions.size());
    PyObject* modname = PyUnicode_FromString("pyrqx");
    if (modname == nullptr) return false;
    bool ok = true;
    int id = 0;
    for (Function& f : functions) {
        const char* doc = nullptr;
        if (f.signature != nullptr) {
            f.signature->id = id;
            doc = f.signature->doc.c_str();
        }
        ++id;
        defs.push_back(PyMethodDef{f.name, f.impl, f.flags, doc});
        PyObject* fn = PyCFunction_NewEx(&defs.back(), nullptr, modname);
        if (fn == nullptr || PyDict_SetItemString(globals.dict, f.name, fn) < 0) {
            Py_XDECREF(fn);
            ok = false;
            break;
        }
        Py_DECREF(fn);
    }
    Py_DECREF(modname);
    return ok;
}

bool add_test_dict() {
    PyObject* d = PyDict_New();
    if (d == nullptr) return false;
    int rc = PyDict_SetItemString(globals.dict, "__test__", d);
    Py_DECREF(d);
    return rc == 0;
}

PyObject* fail_before_module() {
    if (!PyErr_Occurred()) PyErr_SetString(PyExc_ImportError, "init pyrqx");
    return nullptr;
}

PyObject* fail_with_module(bool has_dict) {
    if (has_dict) add_traceback_named("init pyrqx", 1);
    Py_CLEAR(globals.module);
    globals.dict = nullptr;
    return nullptr;
}

PyObject* init() {
    if (globals.module != nullptr) {
        Py_INCREF(globals.module);
        return globals.module;
    }
    if (!check_version()) return fail_before_module();
    if (!create_shared_objects()) return fail_before_module();
    globals.module = PyModule_Create2(&module_def, 1013);
    if (globals.module == nullptr) return fail_before_module();
    globals.dict = PyModule_GetDict(globals.module);  // borrowed
    if (globals.dict == nullptr) return fail_with_module(false);

    std::vector<Function> functions = registry();
    bool ok = set_builtins() && create_names(functions) && register_in_sys_modules();
    ok = ok && import_struct() && add_constants(globals.dict) && add_functions(functions) &&
         add_test_dict();
    if (!ok) return fail_with_module(true);
    Py_INCREF(globals.module);
    return globals.module;
}

}  // namespace
}  // namespace pyrqx

PyMODINIT_FUNC PyInit_pyrqx(void) { return pyrqx::init(); }
