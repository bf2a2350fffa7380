// The vocabulary of the binding declarations: one name per parameter kind,
// and the policies that name their partners by parameter (param::valary).
//
//   classic<lib>(kinds...)              status cell first, returns None
//   extended<lib>(kinds...)             returns the library's status
//   member<lib_f, T>(kinds...)          member T of a typed classic family
//   single<lib>(kind)                   the single-object form
//   classic<lib, Policy>(...)           with checks or conditional write-back
//
// A row gives one kind per parameter of its library function, in the
// listing's order; names come from the listing.
#pragma once

#include "convert/array.h"
#include "convert/kinds.h"
#include "module/entry.h"
#include "policies/all.h"
#include "policies/lists.h"
#include "policies/room.h"
#include "policies/write_back.h"

namespace pyrqx {

// Cells and plain values.
inline constexpr Param<StatusCell> status{};
template <typename T>
inline constexpr Param<Value<T>> value{};
template <typename T>
inline constexpr Param<InOutCell<T>> inout{};
template <typename T>
inline constexpr Param<InCell<T>> in_cell{};
inline constexpr Param<TextCell> text{};
inline constexpr Param<BytesCell> bytes_cell{};
inline constexpr Param<OneChar> one_char{};

// Range lists: read by the library, or filled by it (written back).
inline constexpr Param<RangeList<Flow::In>> range{};
inline constexpr Param<RangeList<Flow::InOut>> range_filled{};

// Numeric lists of element type T. None gives a one-element scratch array
// (a range policy may enlarge it) that is never written back.
template <typename T>
inline constexpr Param<ListArray<T, Flow::InOut, WhenNone::Scratch>> values{};
template <typename T>
inline constexpr Param<ListArray<T, Flow::In, WhenNone::Scratch>> values_in{};

// Missing-value translation tables: at least the library's table size.
template <typename T>
inline constexpr Param<ListArray<T, Flow::InOut, WhenNone::Scratch, CRQX_MISSING_TABLE_SIZE>>
    table{};

// String lists (None refused).
inline constexpr Param<StringList<Flow::InOut>> strings{};
inline constexpr Param<StringList<Flow::In>> strings_in{};

// The untyped value cell of a typed family member.
template <typename T>
inline constexpr Param<WideCell<T>> wide{};

}  // namespace pyrqx
