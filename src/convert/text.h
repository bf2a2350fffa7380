// String buffers: module-owned, NUL-terminated copies of a cell's text that
// the library reads and may overwrite within their capacity.
#pragma once
#include <Python.h>

#include <cstddef>
#include <string>

namespace pyrqx {

// Creates the objects of the encode call, once, at import; every other
// function here needs them.
bool create_encode_call();

// obj.encode("UTF-8"), all of its bytes (zero bytes included).
bool encode_utf8_whole(PyObject* obj, std::string* out);

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer() { release(); }

    // Encodes `text` as UTF-8 and copies the bytes up to the first NUL.
    bool load_text(PyObject* text);
    // Copies all bytes of a bytes or bytearray object, zero bytes included.
    bool load_bytes(PyObject* bytes);
    // Grows the buffer to at least `capacity` bytes, zero-filling the new room
    // (the caller's text is kept). MemoryError when it cannot be had.
    bool reserve(size_t capacity);

    char* data() { return data_; }
    size_t capacity() const { return capacity_; }
    // The library's text up to its first NUL, decoded strictly / as bytes.
    PyObject* decode() const;
    PyObject* to_bytes() const;
    void release();

private:
    bool assign(const char* bytes, size_t length, size_t copy);

    char* data_ = nullptr;
    size_t capacity_ = 0;
};

}  // namespace pyrqx
