// Stored values of series and scalars: ranges resolved against an object,
// and reads and writes of a span of observations through the value chunks.
// Values cross this interface in the object's own C type (float, double,
// int32_t, std::string), missing codes included; translation and type
// conversion belong to the callers.
#pragma once

#include <cstdint>
#include <string>

#include "series/kinds.h"
#include "store/registry.h"

namespace crqx {
namespace series {

// Observations first..last (date indexes; 0..0 for a scalar).
struct Span {
    int64_t first = 0;
    int64_t last = 0;
    int64_t count() const { return last - first + 1; }
};

// An object that holds values: a series or a scalar of a value kind.
struct ValuedObject {
    store::ObjectRecord record;
    Kind kind = Kind::Precision;
    bool is_scalar() const { return record.object_class == HSCALA; }
};

// Finds `name`: HBOBJT/HNOOBJ from the catalog, HBCLAS for a class that
// holds no stored values (formulas, global names), HBTYPE for namelists.
Status find_valued(store::Database& db, const std::string& name, ValuedObject* object);

// The span `range` names for `object`. A series needs a range of its own
// frequency (HNULLP for none, HBFREQ for another frequency); bad ranges get
// HBFREQ, HBSRNG, HBERNG, HBRNG, HBNRNG as zavo_get_range_numobs gives them.
// A scalar takes a null range or any valid range of one observation
// (HBNRNG for more).
Status resolve_span(const ValuedObject& object, const int* range, Span* span);

// The observations of `span` into out[0 .. count-1]; ND where nothing is
// stored. T must be the C type of the object's kind. HIFAIL for a damaged
// chunk (out is then untouched).
template <typename T>
Status read_span(store::Database& db, const ValuedObject& object, Span span, T* out);

// Stores in[0 .. count-1] over `span` as one change of the database; a
// series' first/last observation grows to cover the span.
template <typename T>
Status write_span(store::Database& db, const ValuedObject& object, Span span, const T* in);

}  // namespace series
}  // namespace crqx
