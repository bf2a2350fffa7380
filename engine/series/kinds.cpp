#include "series/kinds.h"

#include "calendar/frequency.h"

namespace crqx {
namespace series {

std::optional<Kind> kind_of_type(int type) {
    switch (type) {
        case HNUMRC: return Kind::Numeric;
        case HPRECN: return Kind::Precision;
        case HBOOLN:
        case HDATE: return Kind::Integer;
        case HSTRNG: return Kind::String;
        default: break;
    }
    // Any frequency code as a type means dates of that frequency.
    if (type >= HDAILY && calendar::describe_frequency(type).has_value()) return Kind::Integer;
    return std::nullopt;
}

const char* kind_name(Kind kind) {
    switch (kind) {
        case Kind::Numeric: return "numeric";
        case Kind::Precision: return "precision";
        case Kind::Integer: return "boolean or date";
        case Kind::String: return "string";
    }
    return "unknown";
}

}  // namespace series
}  // namespace crqx
