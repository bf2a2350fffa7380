// Checks of the series functions beyond the shared policies.
#pragma once

#include "convert/policies.h"

namespace pyrqx {

template <size_t... I>
struct Strings {};

// Lists over a range, string lists among them. A string list never reaches
// the check as None (its kind refuses None with TypeError), so only its
// length is checked, whether the library fills it or reads it; it joins the
// read lists, whose check is exactly that for a list that is not None.
template <size_t Range, typename FilledLists, typename ReadLists, typename StringLists>
struct SpansRangeWithStrings;

template <size_t Range, size_t... F, size_t... R, size_t... S>
struct SpansRangeWithStrings<Range, Filled<F...>, Read<R...>, Strings<S...>>
    : SpansRange<Range, Filled<F...>, Read<R..., S...>> {};

}  // namespace pyrqx
