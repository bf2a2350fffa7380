#include "language/value.h"

#include "calendar/frequency.h"
#include "core/codes.h"

namespace crqx {
namespace language {

const char* type_name(Type t) {
    switch (t) {
        case Type::Numeric: return "numeric";
        case Type::Precision: return "precision";
        case Type::Boolean: return "boolean";
        case Type::String: return "string";
        case Type::Date: return "date";
    }
    return "unknown";
}

int type_code(const ValueType& t) {
    switch (t.type) {
        case Type::Numeric: return HNUMRC;
        case Type::Precision: return HPRECN;
        case Type::Boolean: return HBOOLN;
        case Type::String: return HSTRNG;
        case Type::Date: return t.date_frequency != 0 ? t.date_frequency : HDATE;
    }
    return HUNDFT;
}

bool type_of_code(int code, ValueType* out) {
    switch (code) {
        case HNUMRC: *out = {Type::Numeric, 0}; return true;
        case HPRECN: *out = {Type::Precision, 0}; return true;
        case HBOOLN: *out = {Type::Boolean, 0}; return true;
        case HSTRNG: *out = {Type::String, 0}; return true;
        case HDATE: *out = {Type::Date, 0}; return true;
        default: break;
    }
    if (code >= HDAILY && calendar::describe_frequency(code)) {
        *out = {Type::Date, code};
        return true;
    }
    return false;
}

}  // namespace language
}  // namespace crqx
