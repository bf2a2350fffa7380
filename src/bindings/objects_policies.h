// Policies of the object functions that need more than the shared ones:
// zavo_info's write-back order and its length-dependent texts, and a minimum
// room for a result text that comes without a length.
#pragma once
#include <Python.h>

#include <cstddef>
#include <tuple>
#include <utility>

#include "convert/cell.h"
#include "convert/policies.h"
#include "module/entry.h"
#include "module/globals.h"

namespace pyrqx {

// Base's checks and conditions, written back in the order I... (each
// parameter position once).
template <typename Base, size_t... I>
struct InOrder : Base {
    template <size_t N>
    using Order = std::index_sequence<I...>;
};

// The text of parameter Text is written back only when the length cell of
// parameter Length, read back after its own write-back, holds more than 0.
// The cell is read again (not the C value) so that what the caller's cell
// holds decides; Length must therefore be written back before Text.
template <size_t Text, size_t Length>
struct TextWhenLengthPositive : NoPolicy {
    struct Call {
        PyObject* length_cell = nullptr;  // borrowed: the caller's argument
    };
    template <typename States>
    static bool prepare(States&, PyObject* const* bound, Call& c, const Signature&) {
        c.length_cell = bound[Length];
        return true;
    }
    template <size_t I, typename States>
    static int writes_back(const States&, int, Call& c) {
        if (I != Text) return 1;
        PyObject* length = cell_get(c.length_cell);
        if (length == nullptr) return -1;
        int positive = PyObject_RichCompareBool(length, globals.zero, Py_GT);
        Py_DECREF(length);
        return positive;
    }
};

// The buffer of text parameter Text holds at least Bytes bytes, for a library
// that writes a fixed-size result without being told the room.
template <size_t Text, size_t Bytes>
struct RoomAtLeast : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature&) {
        return std::get<Text>(s).reserve(Bytes);
    }
};

}  // namespace pyrqx
