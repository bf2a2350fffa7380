// Length arguments never exceed their text buffers: where the library is told
// the room of a text by another parameter, the text's buffer grows (zero-
// filled after the caller's text) to hold what that parameter promises.
#pragma once
#include <Python.h>

#include <cstddef>

#include "module/entry.h"

namespace pyrqx {

// Whether a length parameter counts the terminator (buffer_size) or leaves it
// out (inlen, ilen, length).
enum class Terminator { Excluded, Included };

// The buffer of Text holds the value of Length, plus one byte for the
// terminator unless Length counts it.
template <typename Text, typename Length, Terminator T = Terminator::Excluded>
struct RoomFor : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature&) {
        long need = static_cast<long>(state<Length>(s).value) + (T == Terminator::Excluded);
        return need <= 0 || state<Text>(s).reserve(static_cast<size_t>(need));
    }
};

// The same for a string list and a list of per-element lengths.
template <typename Strings, typename Lengths>
struct RoomForEach : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature&) {
        auto& strings = state<Strings>(s);
        const auto& lengths = state<Lengths>(s);
        if (lengths.none) return true;
        for (size_t i = 0; i < strings.count && i < lengths.count; ++i) {
            long need = static_cast<long>(lengths.data[i]) + 1;
            if (need > 0 && !strings.buffers[i].reserve(static_cast<size_t>(need))) return false;
            strings.pointers[i] = strings.buffers[i].data();
        }
        return true;
    }
};

// The buffer of Text holds at least Bytes bytes, for a library that writes a
// fixed-size result without being told the room.
template <typename Text, size_t Bytes>
struct RoomAtLeast : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature&) {
        return state<Text>(s).reserve(Bytes);
    }
};

}  // namespace pyrqx
