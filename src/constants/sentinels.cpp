// The missing-value sentinel functions: one no-argument function per data
// object of the library, reading it afresh at every call.
#include <Python.h>

#include <cstring>

#include "crqx.h"
#include "module/registry.h"
#include "module/traceback.h"

namespace pyrqx {
namespace {

// Sentinels are registered after the wrapped functions; their traceback ids
// follow a range of their own.
constexpr int kSentinelId = 100000;

PyObject* checked(PyObject* result, int id, const char* name) {
    if (result == nullptr) add_traceback(kSentinelId + id, name, kLineResult);
    return result;
}

PyObject* from_data(int v) { return PyLong_FromLong(v); }
PyObject* from_data(float v) { return PyFloat_FromDouble(static_cast<double>(v)); }
PyObject* from_data(double v) { return PyFloat_FromDouble(v); }
PyObject* from_data(const char* s) { return PyBytes_FromStringAndSize(s, std::strlen(s)); }

enum SentinelId {
#define CRQX_DATA_INT(name) k_##name,
#define CRQX_DATA_FLOAT(name) k_##name,
#define CRQX_DATA_DOUBLE(name) k_##name,
#define CRQX_DATA_STRING(name) k_##name,
#include "crqx_data.def"
#undef CRQX_DATA_INT
#undef CRQX_DATA_FLOAT
#undef CRQX_DATA_DOUBLE
#undef CRQX_DATA_STRING
};

#define SENTINEL(name)                                    \
    PyObject* sentinel_##name(PyObject*, PyObject*) {     \
        return checked(from_data(name), k_##name, #name); \
    }
#define CRQX_DATA_INT(name) SENTINEL(name)
#define CRQX_DATA_FLOAT(name) SENTINEL(name)
#define CRQX_DATA_DOUBLE(name) SENTINEL(name)
#define CRQX_DATA_STRING(name) SENTINEL(name)
#include "crqx_data.def"
#undef CRQX_DATA_INT
#undef CRQX_DATA_FLOAT
#undef CRQX_DATA_DOUBLE
#undef CRQX_DATA_STRING
#undef SENTINEL

}  // namespace

const FunctionTable& sentinel_functions() {
#define ROW(name) \
    Function { #name, sentinel_##name, METH_NOARGS, nullptr }
    static const FunctionTable table = {
        ROW(FPRCNA),        ROW(FPRCNC),        ROW(FPRCND),        ROW(FNUMNA), ROW(FNUMNC),
        ROW(FNUMND),        ROW(FBOONA),        ROW(FBOONC),        ROW(FBOOND), ROW(FDATNA),
        ROW(FDATNC),        ROW(FDATND),        ROW(FSTRNA),        ROW(FSTRNC), ROW(FSTRND),
        ROW(ZAVO_INDEX_NA), ROW(ZAVO_INDEX_NC), ROW(ZAVO_INDEX_ND),
    };
#undef ROW
    return table;
}

}  // namespace pyrqx
