// Parameter kinds. Each kind is a type with a per-call State (RAII: it owns
// every buffer it allocates) and three steps:
//   load(state, obj)   read and convert before the library call; on failure
//                      return false with a Python exception and no side effect
//   arg(state)         what the library receives
//   store(state, obj)  write back after the call; false with an exception
// A binding declares each parameter as a kind plus its Python name.
#pragma once
#include <Python.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/cell.h"
#include "convert/memory.h"
#include "convert/scalar.h"
#include "convert/text.h"

namespace pyrqx {

// Out cell of C type int: the status of a classic function. Never read. The
// variable starts at -1, so a library that stores nothing never reports
// success.
struct StatusCell {
    struct State {
        int value = -1;
    };
    static bool load(State&, PyObject*) { return true; }
    static int* arg(State& s) { return &s.value; }
    static bool store(State& s, PyObject* cell) { return cell_set(cell, to_python(s.value)); }
};

// A plain value passed by value; nothing written back.
template <typename T>
struct Value {
    struct State {
        T value{};
    };
    static bool load(State& s, PyObject* obj) { return from_python(obj, &s.value); }
    static T arg(State& s) { return s.value; }
    static bool store(State&, PyObject*) { return true; }
};

// In-out cell: element 0 read and converted, passed by address, written back.
template <typename T>
struct InOutCell {
    struct State {
        T value{};
    };
    static bool load(State& s, PyObject* cell) {
        PyObject* item = cell_get(cell);
        if (item == nullptr) return false;
        bool ok = from_python(item, &s.value);
        Py_DECREF(item);
        return ok;
    }
    static T* arg(State& s) { return &s.value; }
    static bool store(State& s, PyObject* cell) { return cell_set(cell, to_python(s.value)); }
};

// In cell: element 0 read and converted, its variable's address passed,
// nothing written back (the library only reads it).
template <typename T>
struct InCell : InOutCell<T> {
    using State = typename InOutCell<T>::State;
    static bool store(State&, PyObject*) { return true; }
};

// In-out cell with 8 bytes of room whatever T is: the untyped value of the
// typed attribute members, where the library stores the type the attribute's
// code names. The getters also tell the library a length (inlen), so RoomFor
// may grow the room on the heap (zero-filled, the converted value kept at its
// start) to what that length promises. The value is read back from the start
// of the room in T.
template <typename T>
struct WideCell {
    struct State {
        union {
            T value;
            double room;
        } u{};
        char* grown = nullptr;
        size_t grown_capacity = 0;

        State() = default;
        State(const State&) = delete;
        State& operator=(const State&) = delete;
        ~State() { std::free(grown); }

        size_t capacity() const { return grown ? grown_capacity : sizeof u; }
        void* where() { return grown ? static_cast<void*>(grown) : static_cast<void*>(&u); }

        bool reserve(size_t wanted) {
            if (wanted <= capacity()) return true;
            char* bigger = static_cast<char*>(std::calloc(wanted, 1));
            if (bigger == nullptr) {
                raise_no_memory(wanted);
                return false;
            }
            std::memcpy(bigger, where(), capacity());
            std::free(grown);
            grown = bigger;
            grown_capacity = wanted;
            return true;
        }
    };

    static bool load(State& s, PyObject* cell) {
        PyObject* item = cell_get(cell);
        if (item == nullptr) return false;
        bool ok = from_python(item, &s.u.value);
        Py_DECREF(item);
        return ok;
    }
    static T* arg(State& s) { return static_cast<T*>(s.where()); }
    static bool store(State& s, PyObject* cell) {
        T value;
        std::memcpy(&value, s.where(), sizeof value);
        return cell_set(cell, to_python(value));
    }
};

// In-out string cell: element 0 encoded as UTF-8 into a buffer of its length
// plus one; the library's text decoded back.
struct TextCell {
    using State = TextBuffer;
    static bool load(State& s, PyObject* cell) {
        PyObject* item = cell_get(cell);
        if (item == nullptr) return false;
        bool ok = s.load_text(item);
        Py_DECREF(item);
        return ok;
    }
    static char* arg(State& s) { return s.data(); }
    static bool store(State& s, PyObject* cell) {
        bool ok = cell_set(cell, s.decode());
        s.release();
        return ok;
    }
};

// Bytes cell: element 0 a bytes or bytearray object copied whole (zero bytes
// kept); comes back as bytes up to the first zero byte.
struct BytesCell {
    using State = TextBuffer;
    static bool load(State& s, PyObject* cell) {
        PyObject* item = cell_get(cell);
        if (item == nullptr) return false;
        bool ok = s.load_bytes(item);
        Py_DECREF(item);
        return ok;
    }
    static char* arg(State& s) { return s.data(); }
    static bool store(State& s, PyObject* cell) {
        bool ok = cell_set(cell, s.to_bytes());
        s.release();
        return ok;
    }
};

// A one-character str passed as a C char: it must encode to exactly one byte.
struct OneChar {
    struct State {
        char value = 0;
    };
    static bool load(State& s, PyObject* obj) {
        std::string bytes;
        if (!encode_utf8_whole(obj, &bytes)) return false;
        if (bytes.size() != 1) {
            PyErr_Format(PyExc_ValueError,
                         "a single character that encodes to one byte is required, not %zu bytes",
                         bytes.size());
            return false;
        }
        s.value = bytes[0];
        return true;
    }
    static char arg(State& s) { return s.value; }
    static bool store(State&, PyObject*) { return true; }
};

}  // namespace pyrqx
