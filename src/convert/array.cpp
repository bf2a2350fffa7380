#include "convert/array.h"

#include <cstdint>

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
    if (p == nullptr) PyErr_NoMemory();
    return p;
}

}  // namespace pyrqx
