// Series values of the C interface: range reads and writes (classic, in the
// object's own C type, and extended, one function per kind), year/period
// reads, typed writes, and the missing-value tables and tests.
#include <algorithm>
#include <cstring>

#include "api/series_access.h"
#include "crqx.h"

using namespace crqx;
using api::run;
using api::SeriesTarget;
using api::set_status;
using series::Kind;
using series::Translation;

namespace {

// A classic range read: the value array and table hold the object's C type.
Status classic_read(int dbkey, const char* objnam, int* range, void* valary, int tmiss,
                    void* mistt) {
    api::ReadCall reading(dbkey, range);
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, &t));
    return api::with_value_type(t, [&](auto zero) {
        using T = decltype(zero);
        Translation<T> tr;
        CRQX_RETURN_IF_ERROR(api::translation_of(tmiss, mistt, &tr));
        return api::read_values(t, static_cast<T*>(valary), tr);
    });
}

Status classic_write(int dbkey, const char* objnam, int* range, const void* valary, int tmiss,
                     const void* mistt) {
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, &t));
    return api::with_value_type(t, [&](auto zero) {
        using T = decltype(zero);
        Translation<T> tr;
        CRQX_RETURN_IF_ERROR(api::translation_of(tmiss, mistt, &tr));
        return api::write_values<T, T>(t, static_cast<const T*>(valary), tr);
    });
}

template <typename T>
Status typed_read(int dbkey, const char* objnam, int* range, api::ValueClass want, T* valary) {
    api::ReadCall reading(dbkey, range);
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, &t));
    CRQX_RETURN_IF_ERROR(api::require_class(t, want));
    return api::read_values(t, valary, Translation<T>{});
}

template <typename T>
Status typed_write(int dbkey, const char* objnam, int* range, api::ValueClass want,
                   const T* valary) {
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, &t));
    CRQX_RETURN_IF_ERROR(api::require_class(t, want));
    return api::write_values<T, T>(t, valary, Translation<T>{});
}

// zavo_write_dates: value_type must be the object's own type (HDATE or the
// frequency of its dates), so the caller states what its ints mean.
Status write_dates(int dbkey, const char* objnam, int* range, int value_type, const int* valary) {
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, &t));
    const store::ObjectRecord& r = t.object.record;
    CRQX_RETURN_IF_ERROR(api::require_class(t, api::ValueClass::Date));
    if (value_type != r.type)
        return Status::Error(HBTYPE, "value_type " + std::to_string(value_type) +
                                         " is not the type " + std::to_string(r.type) + " of '" +
                                         r.name + "'");
    return api::write_values<int32_t, int32_t>(t, valary, Translation<int32_t>{});
}

// The C type that values of object type `objtyp` travel in (qzvwrmt_f).
template <typename Body>
Status with_source_type(int objtyp, Body body) {
    auto kind = series::kind_of_type(objtyp);
    if (kind == Kind::Numeric) return body(float{});
    if (kind == Kind::Precision) return body(double{});
    if (kind == Kind::Integer) return body(int32_t{});
    return Status::Error(
        HBTYPE, "objtyp " + std::to_string(objtyp) + " is not numeric, precision, boolean or date");
}

// qzvwrmt_f: valary holds values of type objtyp, stored converted to the
// object's type. Reals do not go into boolean or date objects.
Status write_typed(int dbkey, const char* objnam, int objtyp, int* range, const void* valary,
                   int tmiss, const void* mistt) {
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, &t));
    return with_source_type(objtyp, [&](auto source_zero) {
        using S = decltype(source_zero);
        Translation<S> tr;
        CRQX_RETURN_IF_ERROR(api::translation_of(tmiss, mistt, &tr));
        return api::with_value_type(t, [&](auto stored_zero) -> Status {
            using T = decltype(stored_zero);
            if (std::is_integral<T>::value && !std::is_integral<S>::value)
                return Status::Error(HBTYPE, "real values do not go into boolean or date object '" +
                                                 t.object.record.name + "'");
            return api::write_values<S, T>(t, static_cast<const S*>(valary), tr);
        });
    });
}

// qzvrdfa_f: wntobs observations of a series from year/period syear/sprd
// (calendar years; a case series takes sprd as its case number). *gotobs
// counts those up to the series' last observation; the rest read as ND.
Status read_from(int dbkey, const char* objnam, int wntobs, const int* syear, const int* sprd,
                 int* gotobs, void* valary, int tmiss, void* mistt) {
    CRQX_RETURN_IF_ERROR(api::not_null(syear, "syear"));
    CRQX_RETURN_IF_ERROR(api::not_null(sprd, "sprd"));
    CRQX_RETURN_IF_ERROR(api::not_null(gotobs, "gotobs"));
    api::ReadCall reading(dbkey);
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(api::find_object_of(dbkey, objnam, &t));
    const store::ObjectRecord& r = t.object.record;
    if (t.object.is_scalar())
        return Status::Error(HBCLAS, "scalar '" + r.name + "' has no years and periods");
    if (wntobs < 0)
        return Status::Error(HBNRNG, "wntobs " + std::to_string(wntobs) + " is negative");
    auto f = calendar::describe_frequency(r.frequency);
    if (!f) return Status::Error(HBFREQ, "series '" + r.name + "' has no valid frequency");
    int32_t first = 0;
    if (!calendar::is_dated(*f)) {
        if (!calendar::check_index(*f, *sprd).ok())
            return Status::Error(HBPER, "case number " + std::to_string(*sprd) + " does not exist");
        first = *sprd;
    } else {
        CRQX_RETURN_IF_ERROR(
            calendar::year_period_to_index(*f, *syear, *sprd, calendar::kCalendarYear, first));
    }
    if (wntobs == 0) {
        *gotobs = 0;
        return Status::OK();
    }
    const int64_t last = int64_t{first} + wntobs - 1;
    if (!calendar::in_span(*f, last))
        return Status::Error(HBNRNG, "the observations wanted run past the calendar");
    t.span = {first, last};
    return api::with_value_type(t, [&](auto zero) {
        using T = decltype(zero);
        Translation<T> tr;
        CRQX_RETURN_IF_ERROR(api::translation_of(tmiss, mistt, &tr));
        CRQX_RETURN_IF_ERROR(api::read_values(t, static_cast<T*>(valary), tr));
        int64_t stored_last = r.last_index ? *r.last_index : int64_t{first} - 1;
        *gotobs = static_cast<int>(std::max<int64_t>(0, std::min(last, stored_last) - first + 1));
        return Status::OK();
    });
}

}  // namespace

extern "C" {

void qzvrdfa_f(int* status, int dbkey, char* objnam, int wntobs, int* syear, int* sprd, int* gotobs,
               void* valary, int tmiss, void* mistt) {
    set_status(status, run("qzvrdfa_f", [&] {
                   return read_from(dbkey, objnam, wntobs, syear, sprd, gotobs, valary, tmiss,
                                    mistt);
               }));
}

void qzvwrmt_f(int* status, int dbkey, char* objnam, int objtyp, int* range, void* valary,
               int tmiss, void* mistt) {
    set_status(status, run("qzvwrmt_f", [&] {
                   return write_typed(dbkey, objnam, objtyp, range, valary, tmiss, mistt);
               }));
}

void qzvrrng_f(int* status, int dbkey, char* objnam, int* range, void* valary, int tmiss,
               void* mistt) {
    set_status(status, run("qzvrrng_f", [&] {
                   return classic_read(dbkey, objnam, range, valary, tmiss, mistt);
               }));
}

void qzvwrng_f(int* status, int dbkey, char* objnam, int* range, void* valary, int tmiss,
               void* mistt) {
    set_status(status, run("qzvwrng_f", [&] {
                   return classic_write(dbkey, objnam, range, valary, tmiss, mistt);
               }));
}

int zavo_get_numerics(int dbkey, char* objnam, int* range, float* valary) {
    return run("zavo_get_numerics",
               [&] { return typed_read(dbkey, objnam, range, api::ValueClass::Numeric, valary); });
}

int zavo_get_precisions(int dbkey, char* objnam, int* range, double* valary) {
    return run("zavo_get_precisions", [&] {
        return typed_read(dbkey, objnam, range, api::ValueClass::Precision, valary);
    });
}

int zavo_get_booleans(int dbkey, char* objnam, int* range, int* valary) {
    return run("zavo_get_booleans",
               [&] { return typed_read(dbkey, objnam, range, api::ValueClass::Boolean, valary); });
}

int zavo_get_dates(int dbkey, char* objnam, int* range, int* valary) {
    return run("zavo_get_dates",
               [&] { return typed_read(dbkey, objnam, range, api::ValueClass::Date, valary); });
}

int zavo_write_numerics(int dbkey, char* objnam, int* range, float* valary) {
    return run("zavo_write_numerics",
               [&] { return typed_write(dbkey, objnam, range, api::ValueClass::Numeric, valary); });
}

int zavo_write_precisions(int dbkey, char* objnam, int* range, double* valary) {
    return run("zavo_write_precisions", [&] {
        return typed_write(dbkey, objnam, range, api::ValueClass::Precision, valary);
    });
}

int zavo_write_booleans(int dbkey, char* objnam, int* range, int* valary) {
    return run("zavo_write_booleans",
               [&] { return typed_write(dbkey, objnam, range, api::ValueClass::Boolean, valary); });
}

int zavo_write_dates(int dbkey, char* objnam, int* range, int value_type, int* valary) {
    return run("zavo_write_dates",
               [&] { return write_dates(dbkey, objnam, range, value_type, valary); });
}

}  // extern "C"
