#include "convert/array.h"

#include <cstdint>

#include "convert/memory.h"

namespace pyrqx {

bool list_length_slow(PyObject* list, size_t* out) {
    Py_ssize_t n = PyObject_Length(list);
    if (n < 0) return false;
    *out = static_cast<size_t>(n);
    return true;
}

void* allocate_room(size_t elements, bool zeroed) {
    if (elements < 1) elements = 1;
    void* p = nullptr;
    if (elements <= SIZE_MAX / 8) p = zeroed ? std::calloc(elements, 8) : std::malloc(elements * 8);
    if (p == nullptr) {
        if (elements <= SIZE_MAX / 8) {
            raise_no_memory(elements * 8, elements);
        } else {
            PyErr_Format(PyExc_MemoryError, "cannot allocate %zu elements of 8 bytes", elements);
        }
    }
    return p;
}

}  // namespace pyrqx
