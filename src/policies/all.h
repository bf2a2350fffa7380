// Several policies in one: every prepare in turn, and a parameter is written
// back only if every policy agrees, in an order that honours every policy's
// moves.
#pragma once
#include <Python.h>

#include <tuple>
#include <utility>

#include "module/entry.h"

namespace pyrqx {

template <typename... Ps>
struct All : NoPolicy {
    struct Call {
        std::tuple<typename Ps::Call...> parts;
    };
    using Moves = decltype(std::tuple_cat(std::declval<typename Ps::Moves>()...));

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
        (void)((verdict = Ps::template writes_back<I>(s, result, std::get<K>(c.parts)),
                verdict == 1) &&
               ...);
        return verdict;
    }
};

}  // namespace pyrqx
