#include "convert/array.h"

namespace pyrqx {

bool list_length(PyObject* list, size_t* out) {
    Py_ssize_t n = PyObject_Length(list);
    if (n < 0) return false;
    *out = static_cast<size_t>(n);
    return true;
}

void* allocate_room(size_t elements) {
    void* p = std::calloc(elements < 1 ? 1 : elements, 8);
    if (p == nullptr) PyErr_NoMemory();
    return p;
}

}  // namespace pyrqx
