// Kinds of the attribute bindings beyond the shared vocabulary.
#pragma once
#include <Python.h>

#include <cstdlib>
#include <cstring>

#include "convert/cell.h"
#include "convert/scalar.h"
#include "module/entry.h"

namespace pyrqx {

// The typed value cell of the type-code getters (qzvgtatt_*). Like WideCell
// it has 8 bytes of room whatever T, since the library stores the attribute
// in the type its code names; but these getters also tell the library a
// length (inlen) for the value, so RoomFor may grow the room on the heap
// (zero-filled, the converted value kept at its start) to what that length
// promises. The value is read back from the start of the room in T.
template <typename T>
struct GrowableWideCell {
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
                PyErr_NoMemory();
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

template <typename T>
Param<GrowableWideCell<T>> growable_wide(const char* name) { return {name}; }

}  // namespace pyrqx
