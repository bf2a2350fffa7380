// Policies: the checks across parameters and the conditional write-backs of
// the functions that need more than their kinds (see NoPolicy in
// module/entry.h). Indexes are parameter positions, the status cell of a
// classic function being 0.
#pragma once
#include <Python.h>

#include <string>
#include <tuple>
#include <utility>

#include "convert/array.h"
#include "crqx.h"
#include "module/entry.h"

namespace pyrqx {

// Several policies in one: every prepare in turn, and a parameter is written
// back only if every policy agrees.
template <typename... Ps>
struct All : NoPolicy {
    struct Call {
        std::tuple<typename Ps::Call...> parts;
    };
    template <typename States>
    static bool prepare(States& s, PyObject* const* bound, Call& c, const Signature& sig) {
        return prepare_each(s, bound, c, sig, std::index_sequence_for<Ps...>{});
    }
    template <size_t I, typename States>
    static int writes_back(const States& s, int result, Call& c) {
        return writes_each<I>(s, result, c, std::index_sequence_for<Ps...>{});
    }

private:
    template <typename States, size_t... K>
    static bool prepare_each(States& s, PyObject* const* b, Call& c, const Signature& sig,
                             std::index_sequence<K...>) {
        return (Ps::prepare(s, b, std::get<K>(c.parts), sig) && ...);
    }
    template <size_t I, typename States, size_t... K>
    static int writes_each(const States& s, int result, Call& c, std::index_sequence<K...>) {
        int verdict = 1;
        (void)((verdict = Ps::template writes_back<I>(s, result, std::get<K>(c.parts)), verdict == 1) && ...);
        return verdict;
    }
};

// A length argument never exceeds its text buffer: the buffer of parameter
// Text is grown to hold the value of parameter Length plus Extra bytes
// (Extra 1: the length leaves out the terminator; 0: it counts it).
template <size_t Text, size_t Length, int Extra = 1>
struct RoomFor : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature&) {
        long need = static_cast<long>(std::get<Length>(s).value) + Extra;
        return need <= 0 || std::get<Text>(s).reserve(static_cast<size_t>(need));
    }
};

// The same for a string list and a list of per-element lengths.
template <size_t Strings, size_t Lengths>
struct RoomForEach : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature&) {
        auto& strings = std::get<Strings>(s);
        const auto& lengths = std::get<Lengths>(s);
        if (lengths.none) return true;
        for (size_t i = 0; i < strings.count && i < lengths.count; ++i) {
            long need = static_cast<long>(lengths.data[i]) + 1;
            if (need > 0 && !strings.buffers[i].reserve(static_cast<size_t>(need))) return false;
            strings.pointers[i] = strings.buffers[i].data();
        }
        return true;
    }
};

template <size_t... I>
struct Filled {};
template <size_t... I>
struct Read {};

// ValueError "<function>(): <list> holds <has> elements but <why>", where
// `why` names what the call needs, e.g. "the range has 12 observations".
bool list_too_short(const Signature& sig, size_t list, size_t has, const std::string& why);
// ValueError for a None where the library reads a list.
bool list_missing(const Signature& sig, size_t list, const std::string& why);
std::string observations(long numobs);

// Lists over a range are never shorter than the range. The library's own
// count (zavo_get_range_numobs) decides; when it cannot count, the check is
// skipped and the main call reports the range's status. A None list that the
// library fills becomes a zero-filled scratch of the range's length; a None
// list that the library reads is refused.
template <size_t Range, typename FilledLists, typename ReadLists>
struct SpansRange;

template <size_t Range, size_t... F, size_t... R>
struct SpansRange<Range, Filled<F...>, Read<R...>> : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        auto& range = std::get<Range>(s);
        if (range.none) return true;
        int numobs = -1;
        if (zavo_get_range_numobs(range.data, &numobs) != 0 || numobs < 0) return true;
        return (filled<F>(s, sig, numobs) && ...) && (read<R>(s, sig, numobs) && ...);
    }

private:
    template <size_t I, typename States>
    static bool filled(States& s, const Signature& sig, int numobs) {
        auto& list = std::get<I>(s);
        if (list.none) return list.resize_scratch(static_cast<size_t>(numobs));
        if (list.count < static_cast<size_t>(numobs))
            return list_too_short(sig, I, list.count, observations(numobs));
        return true;
    }
    template <size_t I, typename States>
    static bool read(States& s, const Signature& sig, int numobs) {
        auto& list = std::get<I>(s);
        if (list.none) return list_missing(sig, I, observations(numobs));
        if (list.count < static_cast<size_t>(numobs))
            return list_too_short(sig, I, list.count, observations(numobs));
        return true;
    }
};

// A list that the library fills with as many elements as the value of
// parameter Count asks for (None: a scratch of that many).
template <size_t List, size_t Count>
struct HoldsCount : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        auto& list = std::get<List>(s);
        long want = std::get<Count>(s).value;
        if (want <= 0) return true;
        if (list.none) return list.resize_scratch(static_cast<size_t>(want));
        if (list.count < static_cast<size_t>(want))
            return list_too_short(sig, List, list.count,
                                  std::string(sig.params[Count]) + " asks for " + std::to_string(want));
        return true;
    }
};

// The value of parameter Count may not exceed the number of elements of list
// parameter List.
template <size_t Count, size_t List>
struct CountWithinList : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        const auto& list = std::get<List>(s);
        long count = std::get<Count>(s).value;
        if (count <= 0 || (!list.none && static_cast<size_t>(count) <= list.count)) return true;
        return list_too_short(sig, List, list.none ? 0 : list.count,
                              std::string(sig.params[Count]) + " is " + std::to_string(count));
    }
};

// The value of parameter Count may not exceed Limit (cells hold one value).
template <size_t Count, long Limit>
struct CountAtMost : NoPolicy {
    template <typename States>
    static bool prepare(States& s, PyObject* const*, Call&, const Signature& sig) {
        long count = std::get<Count>(s).value;
        if (count <= Limit) return true;
        PyErr_Format(PyExc_ValueError, "%s(): %s is %ld but at most %ld values can be passed",
                     sig.name, sig.params[Count], count, Limit);
        return false;
    }
};

// Outputs other than the status are written back only when the status
// equals the value HSUCC has at this moment in the module's namespace (then
// the built-ins): programs may rebind it.
struct WhenStatusIsSuccess : NoPolicy {
    struct Call {
        int verdict = -2;  // not decided yet
    };
    template <size_t I, typename States>
    static int writes_back(const States& s, int, Call& c) {
        if (I == 0) return 1;
        if (c.verdict == -2) c.verdict = status_is_success(std::get<0>(s).value);
        return c.verdict;
    }
    static int status_is_success(int status);
};

}  // namespace pyrqx
