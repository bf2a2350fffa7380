// Length arguments never exceed their text buffers: where the library is told
// the room of a text by another parameter, the text's buffer grows (zero-
// filled after the caller's text) to hold what that parameter promises, up to
// the longest text the interface carries (RQX_MAX_ZAVO_CMD bytes). A length
// beyond the room made is lowered to that room before the library sees it, so
// a huge length costs no huge allocation and never outruns the buffer.
#pragma once
#include <Python.h>

#include <algorithm>
#include <cstddef>

#include "module/entry.h"

namespace pyrqx {

// The interface's codes and limits, from its own table.
namespace code {
enum : long {
#define CRQX_CONST(name, value) name = (value),
#include "crqx_constants.def"
#undef CRQX_CONST
};
}  // namespace code

// Grows `text` for a length argument that promises `length` bytes plus
// `terminator` (0 or 1), at most to the longest text of the interface beyond
// the caller's own text, and lowers `length` to the room made.
template <typename Text, typename Length>
bool make_room(Text& text, Length& length, long terminator) {
#ifdef PYRQX_PLANTED_FAULT_NO_ROOM
    // The guard removed on purpose, in a test-only variant of the module
    // (target pyrqx_planted): the fuzz run must catch it (tests/fuzz).
    return true;
#endif
    long need = static_cast<long>(length) + terminator;
    if (need <= 0) return true;
    if (!text.reserve(static_cast<size_t>(std::min(need, long{code::RQX_MAX_ZAVO_CMD}))))
        return false;
    long room = static_cast<long>(text.capacity()) - terminator;
    if (need - terminator > room) length = static_cast<Length>(room);
    return true;
}

// Whether a length parameter counts the terminator (buffer_size) or leaves it
// out (inlen, ilen, length).
enum class Terminator { Excluded, Included };

// The buffer of Text holds the value of Length, plus one byte for the
// terminator unless Length counts it.
template <typename Text, typename Length, Terminator T = Terminator::Excluded>
struct RoomFor : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        return room_made<Text, States>(
            make_room(state<Text>(s), state<Length>(s).value, T == Terminator::Excluded), sig);
    }
};

// The same for a string list and a list of per-element lengths.
template <typename Strings, typename Lengths>
struct RoomForEach : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        auto& strings = state<Strings>(s);
        auto& lengths = state<Lengths>(s);
        if (lengths.none) return true;
        for (size_t i = 0; i < strings.count && i < lengths.count; ++i) {
            if (!make_room(strings.buffers[i], lengths.data[i], 1))
                return room_made<Strings, States>(false, sig);
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
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        return room_made<Text, States>(state<Text>(s).reserve(Bytes), sig);
    }
};

}  // namespace pyrqx
