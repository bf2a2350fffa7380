// Arrays are never shorter than what the library touches: checks of list
// lengths against a range's observation count or a count parameter, made
// after every conversion and before the library call.
#pragma once
#include <Python.h>

#include <cstddef>
#include <string>

#include "crqx.h"
#include "module/entry.h"

namespace pyrqx {

// ValueError "<function>(): <list> holds <has> elements but <why>", where
// `why` names what the call needs, e.g. "the range has 12 observations".
bool list_too_short(const Signature& sig, size_t list, size_t has, const std::string& why);
// ValueError for a None where the library reads a list.
bool list_missing(const Signature& sig, size_t list, const std::string& why);
std::string observations(long numobs);
std::string count_is(const Signature& sig, size_t count, long value);

// The lists of a SpansRange, by parameter name: those the library fills,
// those it reads, and string lists (either way: their kind refuses None, so
// only their length is checked).
template <typename... Names>
struct Filled {};
template <typename... Names>
struct Read {};
template <typename... Names>
struct Strings {};

// Lists over a range are never shorter than the range. The library's own
// count (zavo_get_range_numobs) decides; when it cannot count, the check is
// skipped and the main call reports the range's status. A None list that the
// library fills becomes a zero-filled scratch of the range's length; a None
// list that the library reads is refused.
template <typename Range, typename FilledLists, typename ReadLists,
          typename StringLists = Strings<>>
struct SpansRange;

template <typename Range, typename... F, typename... R, typename... S>
struct SpansRange<Range, Filled<F...>, Read<R...>, Strings<S...>> : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        auto& range = state<Range>(s);
        if (range.none) return true;
        int numobs = -1;
        if (zavo_get_range_numobs(range.data, &numobs) != 0 || numobs < 0) return true;
        return (filled<F>(s, sig, numobs) && ...) && (read<R>(s, sig, numobs) && ...) &&
               (long_enough<S>(s, sig, numobs) && ...);
    }

private:
    template <typename Name, typename States>
    static bool filled(States& s, const Signature& sig, int numobs) {
        auto& list = state<Name>(s);
        if (list.none)
            return room_made<Name, States>(list.resize_scratch(static_cast<size_t>(numobs)), sig);
        return long_enough<Name>(s, sig, numobs);
    }
    template <typename Name, typename States>
    static bool read(States& s, const Signature& sig, int numobs) {
        if (state<Name>(s).none)
            return list_missing(sig, position_of<Name, States>, observations(numobs));
        return long_enough<Name>(s, sig, numobs);
    }
    template <typename Name, typename States>
    static bool long_enough(States& s, const Signature& sig, int numobs) {
        const auto& list = state<Name>(s);
        if (list.count >= static_cast<size_t>(numobs)) return true;
        return list_too_short(sig, position_of<Name, States>, list.count, observations(numobs));
    }
};

// A list that the library fills with as many elements as Count asks for
// (None: a scratch of that many).
template <typename List, typename Count>
struct HoldsCount : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        auto& list = state<List>(s);
        long want = state<Count>(s).value;
        if (want <= 0) return true;
        if (list.none)
            return room_made<List, States>(list.resize_scratch(static_cast<size_t>(want)), sig);
        if (list.count >= static_cast<size_t>(want)) return true;
        return list_too_short(sig, position_of<List, States>, list.count,
                              std::string(sig.params[position_of<Count, States>]) + " asks for " +
                                  std::to_string(want));
    }
};

// Count may not exceed the elements of List; a None list stands for one
// element (its one-element scratch array).
template <typename Count, typename List>
struct CountWithinList : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        const auto& list = state<List>(s);
        long count = state<Count>(s).value;
        size_t has = list.none ? 1 : list.count;
        if (count <= 0 || static_cast<size_t>(count) <= has) return true;
        return list_too_short(sig, position_of<List, States>, has,
                              count_is(sig, position_of<Count, States>, count));
    }
};

// Count may not exceed Limit (cells hold one value).
template <typename Count, long Limit>
struct CountAtMost : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        long count = state<Count>(s).value;
        if (count <= Limit) return true;
        PyErr_Format(PyExc_ValueError, "%s(): %s is %ld but at most %ld values can be passed",
                     sig.name, sig.params[position_of<Count, States>], count, Limit);
        return false;
    }
};

}  // namespace pyrqx
