// Value kinds of series and scalars: which C type holds an object's values,
// its missing-value codes, and the conversions between kinds that typed
// writes (qzvwrmt_f) allow.
#pragma once

#include <cfloat>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>

#include "core/codes.h"
#include "core/missing.h"

namespace crqx {
namespace series {

enum class Kind { Numeric, Precision, Integer, String };

// The kind that holds values of object type `type`: numeric float,
// precision double, boolean and dates int, strings text. Namelists and
// unknown types have none.
std::optional<Kind> kind_of_type(int type);
const char* kind_name(Kind kind);

// Missing codes of each C element type, NC/ND/NA in table order.
template <typename T>
struct Missing;
template <>
struct Missing<float> {
    static constexpr float codes[3] = {missing::kFloatNC, missing::kFloatND, missing::kFloatNA};
};
template <>
struct Missing<double> {
    static constexpr double codes[3] = {missing::kDoubleNC, missing::kDoubleND, missing::kDoubleNA};
};
template <>
struct Missing<int32_t> {
    static constexpr int32_t codes[3] = {missing::kIntNC, missing::kIntND, missing::kIntNA};
};

constexpr int kSlotNC = 0, kSlotND = 1, kSlotNA = 2;

// The table slot of a missing code (0 NC, 1 ND, 2 NA), or -1 for a value.
template <typename T>
int missing_slot(T value) {
    for (int i = 0; i < 3; ++i)
        if (value == Missing<T>::codes[i]) return i;
    return -1;
}

// The interface's missing-kind code (HNMVAL, HNCVAL, HNDVAL, HNAVAL) of a slot.
inline int missing_code_of_slot(int slot) {
    switch (slot) {
        case kSlotNC: return HNCVAL;
        case kSlotND: return HNDVAL;
        case kSlotNA: return HNAVAL;
        default: return HNMVAL;
    }
}

// The slot of a missing-kind code, -1 for HNMVAL, -2 for anything else.
inline int slot_of_missing_code(int code) {
    switch (code) {
        case HNMVAL: return -1;
        case HNCVAL: return kSlotNC;
        case HNDVAL: return kSlotND;
        case HNAVAL: return kSlotNA;
        default: return -2;
    }
}

// A value of type From carried into type To: missing codes map to the same
// missing code of To, other values convert as C does.
// A double beyond float's range becomes an infinity of its sign (stated
// here: the plain cast would be undefined behaviour).
template <typename From, typename To>
To convert_value(From value) {
    int slot = missing_slot(value);
    if (slot >= 0) return Missing<To>::codes[slot];
    if constexpr (std::is_same<From, double>::value && std::is_same<To, float>::value) {
        if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
        if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    }
    return static_cast<To>(value);
}

// The missing-value translation of one call: with tmiss HTMIS, codes read
// become table[slot] and table values written become codes.
template <typename T>
struct Translation {
    const T* table = nullptr;  // null: no translation

    T on_read(T stored) const {
        if (table == nullptr) return stored;
        int slot = missing_slot(stored);
        return slot < 0 ? stored : table[slot];
    }
    T on_write(T given) const {
        if (table == nullptr) return given;
        for (int i = 0; i < 3; ++i)
            if (given == table[i]) return Missing<T>::codes[i];
        return given;
    }
};

}  // namespace series
}  // namespace crqx
