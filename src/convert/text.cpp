#include "convert/text.h"

#include "convert/memory.h"

#include <cstdlib>
#include <cstring>

namespace pyrqx {
namespace {

// The method name and the argument tuple of every encode call, made once.
PyObject* encode_name = nullptr;  // interned "encode"
PyObject* encode_args = nullptr;  // ("UTF-8",)

// obj.encode("UTF-8") as a new bytes/bytearray reference. An exact str cannot
// override encode, so its cached UTF-8 form gives the same bytes directly.
bool encode_utf8(PyObject* obj, const char** bytes, Py_ssize_t* length, PyObject** owner) {
    *owner = nullptr;
    if (PyUnicode_CheckExact(obj)) {
        *bytes = PyUnicode_AsUTF8AndSize(obj, length);
        return *bytes != nullptr;
    }
    PyObject* encode = PyObject_GetAttr(obj, encode_name);
    if (encode == nullptr) return false;
    PyObject* result = PyObject_Call(encode, encode_args, nullptr);
    Py_DECREF(encode);
    if (result == nullptr) return false;
    *owner = result;
    if (PyByteArray_Check(result)) {
        *bytes = PyByteArray_AS_STRING(result);
        *length = PyByteArray_GET_SIZE(result);
        return true;
    }
    char* data;
    if (PyBytes_AsStringAndSize(result, &data, length) < 0) {  // raises TypeError for others
        Py_CLEAR(*owner);
        return false;
    }
    *bytes = data;
    return true;
}

}  // namespace

bool create_encode_call() {
    if (encode_name == nullptr) encode_name = PyUnicode_InternFromString("encode");
    if (encode_args == nullptr) encode_args = Py_BuildValue("(s)", "UTF-8");
    return encode_name != nullptr && encode_args != nullptr;
}

bool encode_utf8_whole(PyObject* obj, std::string* out) {
    const char* bytes;
    Py_ssize_t length;
    PyObject* owner;
    if (!encode_utf8(obj, &bytes, &length, &owner)) return false;
    out->assign(bytes, static_cast<size_t>(length));
    Py_XDECREF(owner);
    return true;
}

bool TextBuffer::assign(const char* bytes, size_t length, size_t copy) {
    release();
    data_ = static_cast<char*>(std::malloc(length + 1));
    if (data_ == nullptr) {
        raise_no_memory(length + 1);
        return false;
    }
    std::memcpy(data_, bytes, copy);
    std::memset(data_ + copy, 0, length + 1 - copy);
    capacity_ = length + 1;
    return true;
}

bool TextBuffer::load_text(PyObject* text) {
    const char* bytes;
    Py_ssize_t length;
    PyObject* owner;
    if (!encode_utf8(text, &bytes, &length, &owner)) return false;
    size_t cut = strnlen(bytes, static_cast<size_t>(length));
    bool ok = assign(bytes, cut, cut);
    Py_XDECREF(owner);
    return ok;
}

bool TextBuffer::load_bytes(PyObject* obj) {
    if (PyBytes_Check(obj)) {
        size_t n = static_cast<size_t>(PyBytes_GET_SIZE(obj));
        return assign(PyBytes_AS_STRING(obj), n, n);
    }
    if (PyByteArray_Check(obj)) {
        size_t n = static_cast<size_t>(PyByteArray_GET_SIZE(obj));
        return assign(PyByteArray_AS_STRING(obj), n, n);
    }
    PyErr_Format(PyExc_TypeError, "expected bytes, %.200s found", Py_TYPE(obj)->tp_name);
    return false;
}

bool TextBuffer::reserve(size_t capacity) {
    if (capacity <= capacity_) return true;
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (grown == nullptr) {
        raise_no_memory(capacity);
        return false;
    }
    std::memset(grown + capacity_, 0, capacity - capacity_);
    data_ = grown;
    capacity_ = capacity;
    return true;
}

PyObject* TextBuffer::decode() const {
    size_t n = strnlen(data_, capacity_);
    return PyUnicode_DecodeUTF8(data_, static_cast<Py_ssize_t>(n), "strict");
}

PyObject* TextBuffer::to_bytes() const {
    size_t n = strnlen(data_, capacity_);
    return PyBytes_FromStringAndSize(data_, static_cast<Py_ssize_t>(n));
}

void TextBuffer::release() {
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
}

}  // namespace pyrqx
