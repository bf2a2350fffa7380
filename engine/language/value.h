// Values of the expression language: the types an expression can have and
// the columns evaluation produces. Every value kind travels as double (a
// boolean as 0/1, a date as its index), missing values as the engine's
// double missing codes, so one loop serves every arithmetic kind; strings
// travel as text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/missing.h"

namespace crqx {
namespace language {

enum class Type { Numeric, Precision, Boolean, String, Date };

// A value type; dates carry the frequency of their values (0: undated HDATE).
struct ValueType {
    Type type = Type::Numeric;
    int date_frequency = 0;
    bool operator==(const ValueType& o) const {
        return type == o.type && date_frequency == o.date_frequency;
    }
    bool operator!=(const ValueType& o) const { return !(*this == o); }
};

const char* type_name(Type t);
// The object type code of the C interface (HNUMRC, ..., a frequency for dates).
int type_code(const ValueType& t);
// The value type of an object type code; false for namelists and unknown codes.
bool type_of_code(int code, ValueType* out);

// Observations first..last of one frequency.
struct Span {
    int64_t first = 0;
    int64_t last = -1;
    int64_t count() const { return last - first + 1; }
};

// The result of evaluating a plan node: one value (scalar) or one per
// observation of the span asked for.
struct Column {
    std::vector<double> num;
    std::vector<std::string> text;
    size_t size() const { return num.empty() ? text.size() : num.size(); }
};

constexpr double kNC = missing::kDoubleNC;
constexpr double kND = missing::kDoubleND;
constexpr double kNA = missing::kDoubleNA;

// The three codes are the three lowest doubles, so one comparison finds them.
inline bool is_missing(double v) { return v <= kNA; }

// When missing values meet, the lowest code wins: NC over ND over NA.
inline double missing_of(double a, double b) { return a < b ? a : b; }

// A computed value that is no finite number (overflow, 0/0) is NC.
inline double finite_or_nc(double v) { return (v - v == 0.0) ? v : kNC; }

}  // namespace language
}  // namespace crqx
