#include "module/traceback.h"

#include <frameobject.h>

#include <algorithm>
#include <vector>

#include "module/globals.h"

namespace pyrqx {
namespace {

struct CachedCode {
    long key;
    PyCodeObject* code;
};

// Code objects by (function, line), sorted by key; grown 64 entries at a time.
std::vector<CachedCode> code_cache;

std::vector<CachedCode>::iterator find_slot(long key) {
    return std::lower_bound(code_cache.begin(), code_cache.end(), key,
                            [](const CachedCode& c, long k) { return c.key < k; });
}

PyCodeObject* cache(long key, PyCodeObject* code) {
    size_t at = static_cast<size_t>(find_slot(key) - code_cache.begin());
    if (code_cache.size() == code_cache.capacity()) code_cache.reserve(code_cache.size() + 64);
    code_cache.insert(code_cache.begin() + static_cast<std::ptrdiff_t>(at), CachedCode{key, code});
    return code;
}

// The pending exception, taken out and put back unchanged: one object from
// Python 3.12 on, where the (type, value, traceback) calls are deprecated.
class PendingException {
public:
#if PY_VERSION_HEX >= 0x030C0000
    PendingException() : exc_(PyErr_GetRaisedException()) {}
    void restore() { PyErr_SetRaisedException(exc_); }

private:
    PyObject* exc_;
#else
    PendingException() { PyErr_Fetch(&type_, &value_, &tb_); }
    void restore() { PyErr_Restore(type_, value_, tb_); }

private:
    PyObject *type_, *value_, *tb_;
#endif
};

// Builds the frame with the pending exception put aside (CPython's own way of
// adding C frames), then attaches it to that exception. A failure while
// building the frame is dropped; the original exception stands.
template <typename Make>
void with_saved_exception(Make make_code) {
    PendingException pending;
    PyFrameObject* frame = nullptr;
    PyCodeObject* code = make_code();
    if (code != nullptr && globals.dict != nullptr)
        frame = PyFrame_New(PyThreadState_Get(), code, globals.dict, nullptr);
    PyErr_Clear();
    pending.restore();
    if (frame != nullptr) {
        PyTraceBack_Here(frame);
        Py_DECREF(frame);
    }
}

}  // namespace

void add_traceback(int id, const char* function, int line) {
    with_saved_exception([&]() -> PyCodeObject* {
        long key = static_cast<long>(id) * 1000 + line;
        auto it = find_slot(key);
        if (it != code_cache.end() && it->key == key) return it->code;
        PyObject* name = PyUnicode_FromFormat("pyrqx.%s", function);
        if (name == nullptr) return nullptr;
        PyCodeObject* code = PyCode_NewEmpty("pyrqx", PyUnicode_AsUTF8(name), line);
        Py_DECREF(name);
        return code == nullptr ? nullptr : cache(key, code);
    });
}

void add_traceback_named(const char* qualified_name, int line) {
    // Import failures are one-off: their code object is not cached.
    PyCodeObject* code = nullptr;
    with_saved_exception([&]() { return code = PyCode_NewEmpty("pyrqx", qualified_name, line); });
    Py_XDECREF(code);
}

}  // namespace pyrqx
