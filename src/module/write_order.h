// The order in which a call writes its parameters back: parameter order,
// except where a policy moves a parameter to just before another
// (WriteBefore<outdesclen, desc>). Worked out when compiling.
#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <utility>

#include "module/listing.h"

namespace pyrqx {

template <typename Earlier, typename Later>
struct WriteBefore {};

template <typename Names, typename Moves>
struct WriteBackOrder;

template <typename Names, typename... Earlier, typename... Later>
struct WriteBackOrder<Names, std::tuple<WriteBefore<Earlier, Later>...>> {
    static constexpr size_t N = Names::size;

    static constexpr std::array<size_t, N> order = [] {
        std::array<size_t, N> o{};
        for (size_t i = 0; i < N; ++i) o[i] = i;
        constexpr size_t moved[] = {Position<Earlier, Names>::value..., 0};
        constexpr size_t before[] = {Position<Later, Names>::value..., 0};
        for (size_t m = 0; m < sizeof...(Earlier); ++m) {
            size_t from = 0, to = 0;
            for (size_t i = 0; i < N; ++i) {
                if (o[i] == moved[m]) from = i;
                if (o[i] == before[m]) to = i;
            }
            size_t value = o[from];
            if (from < to) {
                for (size_t k = from; k + 1 < to; ++k) o[k] = o[k + 1];
                o[to - 1] = value;
            } else {
                for (size_t k = from; k > to; --k) o[k] = o[k - 1];
                o[to] = value;
            }
        }
        return o;
    }();

    template <size_t... I>
    static auto sequence(std::index_sequence<I...>) -> std::index_sequence<order[I]...>;
    using type = decltype(sequence(std::make_index_sequence<N>{}));
};

}  // namespace pyrqx
