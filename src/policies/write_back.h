// Write-backs that depend on the outcome of the call.
#pragma once
#include <Python.h>

#include <tuple>

#include "convert/cell.h"
#include "module/entry.h"
#include "module/globals.h"

namespace pyrqx {

// Outputs other than the status are written back only when the status
// equals the value HSUCC has at this moment in the module's namespace (then
// the built-ins): programs may rebind it.
struct WhenStatusIsSuccess : NoPolicy {
    struct Call {
        int verdict = -2;  // not decided yet
    };
    template <size_t I, typename States>
    static int writes_back(const States& s, int, Call& c) {
        if (I == position_of<param::status, States>) return 1;
        if (c.verdict == -2) c.verdict = status_is_success(state<param::status>(s).value);
        return c.verdict;
    }
    static int status_is_success(int status);
};

// Text is written back only when the length cell Length, read back after its
// own write-back, holds more than 0. The cell is read again (not the C value)
// so that what the caller's cell holds decides; Length is therefore written
// back just before Text.
template <typename Text, typename Length>
struct TextWhenLengthPositive : NoPolicy {
    struct Call {
        PyObject* length_cell = nullptr;  // borrowed: the caller's argument
    };
    using Moves = std::tuple<WriteBefore<Length, Text>>;

    template <typename States>
    static bool prepare(States&, PyObject* const* bound, Call& c, const Signature&) {
        c.length_cell = bound[position_of<Length, States>];
        return true;
    }
    template <size_t I, typename States>
    static int writes_back(const States&, int, Call& c) {
        if (I != position_of<Text, States>) return 1;
        PyObject* length = cell_get(c.length_cell);
        if (length == nullptr) return -1;
        int positive = PyObject_RichCompareBool(length, globals.zero, Py_GT);
        Py_DECREF(length);
        return positive;
    }
};

}  // namespace pyrqx
