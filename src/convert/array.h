// List-backed arrays: a Python list copied element by element into a
// module-owned C array for the call and, where the library fills it, copied
// back in place afterwards (the list is never resized).
//
// Room: every numeric array has at least one element and 8 bytes per element
// whatever its element type (elements are laid out with the stride of T), so
// a library that writes in another numeric type never writes past it. Arrays
// have at least `MinRoom` elements (the library's table size for translation
// tables), zero-filled beyond the list's own elements.
#pragma once
#include <Python.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "convert/cell.h"
#include "convert/scalar.h"
#include "convert/text.h"
#include "crqx.h"

namespace pyrqx {

enum class Flow { In, InOut };          // InOut: written back after the call
enum class WhenNone { Null, Scratch };  // what None passes

// Common part of every list kind's state: whether the argument was None and
// how many elements came from the list.
struct ListState {
    bool none = false;
    size_t count = 0;
};

bool list_length_slow(PyObject* list, size_t* out);

// Length of a list argument as len() gives it.
inline bool list_length(PyObject* list, size_t* out) {
    if (PyList_CheckExact(list)) {
        *out = static_cast<size_t>(PyList_GET_SIZE(list));
        return true;
    }
    return list_length_slow(list, out);
}

// A block of `elements` 8-byte slots (at least one), zero-filled if asked.
void* allocate_room(size_t elements, bool zeroed = true);

template <typename T, Flow F, WhenNone W, size_t MinRoom = 1>
struct ListArray {
    static_assert(sizeof(T) <= 8, "elements have 8 bytes of room");
    struct State : ListState {
        T* data = nullptr;
        size_t room = 0;
        State() = default;
        State(const State&) = delete;
        ~State() { std::free(data); }

        // Replaces the array by a zero-filled one of `elements` (None only).
        bool resize_scratch(size_t elements) {
            void* p = allocate_room(elements);
            if (p == nullptr) return false;
            std::free(data);
            data = static_cast<T*>(p);
            room = elements < 1 ? 1 : elements;
            return true;
        }
    };

    static bool load(State& s, PyObject* list) {
        if (list == Py_None) {
            s.none = true;
            return W == WhenNone::Null || s.resize_scratch(MinRoom);
        }
        size_t n;
        if (!list_length(list, &n)) return false;
        size_t room = n < MinRoom ? MinRoom : n;
        s.room = room < 1 ? 1 : room;
        s.data = static_cast<T*>(allocate_room(s.room, false));
        if (s.data == nullptr) return false;
        s.count = n;
        size_t now;  // evaluated again: the list may have changed meanwhile
        if (!list_length(list, &now)) return false;
        size_t limit = now < n ? now : n;
        for (size_t i = load_exact_run(list, limit, s.data); i < limit; ++i) {
            if (!load_element(list, i, &s.data[i])) return false;
        }
        // Room the list did not fill is zeroed, so the library sees no garbage.
        size_t used = limit * sizeof(T);
        if (used < s.room * 8)
            std::memset(reinterpret_cast<char*>(s.data) + used, 0, s.room * 8 - used);
        return true;
    }

    static T* arg(State& s) { return s.none && W == WhenNone::Null ? nullptr : s.data; }

    static bool store(State& s, PyObject* list) {
        if (F == Flow::In || s.none) return true;
        size_t now;
        if (!list_length(list, &now)) return false;
        size_t limit = now < s.count ? now : s.count;
        if (PyList_CheckExact(list)) {
            // Releasing an old element may run code that shrinks the list: the
            // size is read again for each element.
            for (size_t i = 0; i < limit; ++i) {
                PyObject* value = to_python(s.data[i]);
                if (value == nullptr) return false;
                if (i >= static_cast<size_t>(PyList_GET_SIZE(list)))
                    return item_set(list, i, value);
                PyObject** items = reinterpret_cast<PyListObject*>(list)->ob_item;
                PyObject* old = items[i];
                items[i] = value;
                Py_DECREF(old);
            }
            return true;
        }
        for (size_t i = 0; i < limit; ++i) {
            if (!item_set(list, static_cast<Py_ssize_t>(i), to_python(s.data[i]))) return false;
        }
        return true;
    }

private:
    // The leading run of an exact list whose elements convert without running
    // Python code (exact floats for real arrays, exact ints for int arrays):
    // converted straight from the list's item array. Returns where it stopped.
    static size_t load_exact_run(PyObject* list, size_t limit, T* out) {
        if (!PyList_CheckExact(list)) return 0;
        PyObject** items = reinterpret_cast<PyListObject*>(list)->ob_item;
        size_t i = 0;
        if constexpr (std::is_floating_point_v<T>) {
            for (; i < limit && PyFloat_CheckExact(items[i]); ++i)
                out[i] = static_cast<T>(PyFloat_AS_DOUBLE(items[i]));
        } else {
            for (; i < limit && PyLong_CheckExact(items[i]); ++i)
                if (!to_int(items[i], &out[i])) {
                    PyErr_Clear();  // the element's own path raises it again
                    return i;
                }
        }
        return i;
    }

    // list[i] converted into *out; exact lists holding exact numbers take a
    // path that runs no Python code, others the item protocol.
    static bool load_element(PyObject* list, size_t i, T* out) {
        if (PyList_CheckExact(list) && i < static_cast<size_t>(PyList_GET_SIZE(list))) {
            PyObject* item = PyList_GET_ITEM(list, static_cast<Py_ssize_t>(i));
            if constexpr (std::is_floating_point_v<T>) {
                if (PyFloat_CheckExact(item)) {
                    *out = static_cast<T>(PyFloat_AS_DOUBLE(item));
                    return true;
                }
            } else {
                if (PyLong_CheckExact(item)) return to_int(item, out);  // runs no Python code
            }
            Py_INCREF(item);  // a conversion may run code that changes the list
            bool ok = from_python(item, out);
            Py_DECREF(item);
            return ok;
        }
        PyObject* item = item_get(list, static_cast<Py_ssize_t>(i));
        if (item == nullptr) return false;
        bool ok = from_python(item, out);
        Py_DECREF(item);
        return ok;
    }
};

// A range list: ints, None gives a null pointer; a list shorter than the
// library's range array is refused (the library would read or fill past it).
template <Flow F>
struct RangeList : ListArray<int, F, WhenNone::Null> {
    using Base = ListArray<int, F, WhenNone::Null>;
    using State = typename Base::State;
    static bool load(State& s, PyObject* list) {
        if (!Base::load(s, list)) return false;
        if (!s.none && s.count < CRQX_RANGE_SIZE) {
            PyErr_Format(PyExc_ValueError,
                         "a range list holds %d ints (frequency, first index, last index), not %zu",
                         CRQX_RANGE_SIZE, s.count);
            return false;
        }
        return true;
    }
};

// A list of str: one string buffer per element, passed as a char * array.
// None is refused (the library would get pointers to nothing).
template <Flow F>
struct StringList {
    struct State : ListState {
        std::vector<TextBuffer> buffers;
        std::vector<char*> pointers;
    };

    static bool load(State& s, PyObject* list) {
        if (list == Py_None) {
            PyErr_SetString(PyExc_TypeError, "a list of str is required, not None");
            return false;
        }
        size_t n;
        if (!list_length(list, &n)) return false;
        s.buffers = std::vector<TextBuffer>(n);
        s.pointers.assign(n < 1 ? 1 : n, nullptr);
        s.count = n;
        size_t now;
        if (!list_length(list, &now)) return false;
        for (size_t i = 0; i < now && i < n; ++i) {
            PyObject* item = item_get(list, static_cast<Py_ssize_t>(i));
            if (item == nullptr) return false;
            bool ok = s.buffers[i].load_text(item);
            Py_DECREF(item);
            if (!ok) return false;
            s.pointers[i] = s.buffers[i].data();
        }
        // Elements the list lost meanwhile still get an (empty) buffer.
        for (size_t i = 0; i < n; ++i) {
            if (s.pointers[i] == nullptr) {
                if (!s.buffers[i].reserve(1)) return false;
                s.pointers[i] = s.buffers[i].data();
            }
        }
        return true;
    }

    static char** arg(State& s) { return s.pointers.data(); }

    static bool store(State& s, PyObject* list) {
        if (F == Flow::In) return true;
        size_t now;
        if (!list_length(list, &now)) return false;
        for (size_t i = 0; i < now && i < s.count; ++i) {
            if (s.buffers[i].data() == nullptr) continue;
            bool ok = item_set(list, static_cast<Py_ssize_t>(i), s.buffers[i].decode());
            s.buffers[i].release();
            if (!ok) return false;
        }
        return true;
    }
};

}  // namespace pyrqx
