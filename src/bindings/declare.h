// The vocabulary of the binding declarations: one function per parameter
// kind, named as the declarations read.
//
//   classic<lib>("name", params...)      status cell first, returns None
//   extended<lib>("name", params...)     returns the library's status
//   single<lib>("name", param)           the single-object form
//   classic<lib, Policy>(...)            with checks or conditional write-back
#pragma once

#include "convert/array.h"
#include "convert/kinds.h"
#include "convert/policies.h"
#include "module/entry.h"

namespace pyrqx {

// Range lists: read by the library, or filled by it (written back).
inline Param<RangeList<Flow::In>> range(const char* name) { return {name}; }
inline Param<RangeList<Flow::InOut>> range_filled(const char* name) { return {name}; }

// Numeric lists of element type T. None gives a one-element scratch array
// (a range policy may enlarge it) that is never written back.
template <typename T>
Param<ListArray<T, Flow::InOut, WhenNone::Scratch>> values(const char* name) { return {name}; }
template <typename T>
Param<ListArray<T, Flow::In, WhenNone::Scratch>> values_in(const char* name) { return {name}; }

// Missing-value translation tables: at least the library's table size.
template <typename T>
Param<ListArray<T, Flow::InOut, WhenNone::Scratch, CRQX_MISSING_TABLE_SIZE>> table(const char* name) {
    return {name};
}

// String lists (None refused).
inline Param<StringList<Flow::InOut>> strings(const char* name) { return {name}; }
inline Param<StringList<Flow::In>> strings_in(const char* name) { return {name}; }

// The untyped value cell of a typed family member.
template <typename T>
Param<WideCell<T>> wide(const char* name) { return {name}; }

}  // namespace pyrqx
