// The attribute functions of the C interface: the classic ones, where a type
// code says what the caller's value buffer holds, and the typed ones.
#include <cstring>

#include "api/status_report.h"
#include "attributes/attributes.h"
#include "calendar/frequency.h"
#include "crqx.h"

using namespace crqx;
using attributes::AttributeRecord;
using crqx::api::run;
using crqx::api::set_status;
using store::Database;

namespace {

Status read(int dbkey, const char* objnam, const char* attnam, AttributeRecord* record) {
    CRQX_RETURN_IF_ERROR(api::not_null(objnam, "objnam", attnam, "attnam"));
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    return attributes::get_attribute(*db, objnam, attnam, record);
}

Status read_kind(int dbkey, const char* objnam, const char* attnam, int type,
                 AttributeRecord* record) {
    CRQX_RETURN_IF_ERROR(read(dbkey, objnam, attnam, record));
    return attributes::require_kind(*record, type);
}

Status write(int dbkey, const char* objnam, const char* attnam, AttributeRecord value) {
    CRQX_RETURN_IF_ERROR(api::not_null(objnam, "objnam", attnam, "attnam"));
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    value.name = attnam;
    return attributes::set_attribute(*db, objnam, value);
}

// A text value into a buffer of `inlen` bytes plus the terminator; the full
// length goes to *outlen first, so a cut text can be asked for again.
Status text_value(const AttributeRecord& r, char* buffer, int inlen, int* outlen) {
    *outlen = static_cast<int>(r.text.size());
    size_t capacity = 0;
    CRQX_RETURN_IF_ERROR(api::capacity_from_length(inlen, &capacity));
    return api::text_out(buffer, capacity, r.text, "the attribute value");
}

// The classic rule: the caller's type code must be the attribute's (HDATE
// stands for a date of any frequency).
bool classic_match(const AttributeRecord& r, int wanted) {
    return wanted == attributes::classic_type(r) || (wanted == HDATE && r.type == HDATE);
}

Status classic_mismatch(const AttributeRecord& r, int wanted) {
    return Status::Error(HBATYP, "attribute '" + r.name + "' has type code " +
                                     std::to_string(attributes::classic_type(r)) + " (" +
                                     attributes::kind_name(r.type) + "), not " +
                                     std::to_string(wanted));
}

template <typename T>
void store_value(void* value, T v) {
    std::memcpy(value, &v, sizeof v);  // the caller's buffer need not be aligned
}

template <typename T>
T load_value(const void* value) {
    T v;
    std::memcpy(&v, value, sizeof v);
    return v;
}

Status write_classic_value(const AttributeRecord& r, void* value, int inlen) {
    switch (r.type) {
        case HNUMRC: store_value(value, attributes::numeric_of(r)); return Status::OK();
        case HPRECN: store_value(value, attributes::precision_of(r)); return Status::OK();
        case HSTRNG:
        case HNAMEL: {
            int full = 0;
            return text_value(r, static_cast<char*>(value), inlen, &full);
        }
        default: store_value(value, static_cast<int>(r.number)); return Status::OK();
    }
}

// A date's classic type code is its frequency (codes from HDAILY up).
bool is_date_type_code(int type) {
    return type >= HDAILY && calendar::describe_frequency(type).has_value();
}

Status classic_record(int atttyp, const void* value, AttributeRecord* r) {
    switch (atttyp) {
        case HNUMRC: *r = attributes::numeric_value(load_value<float>(value)); return Status::OK();
        case HPRECN:
            *r = attributes::precision_value(load_value<double>(value));
            return Status::OK();
        case HBOOLN: *r = attributes::boolean_value(load_value<int>(value)); return Status::OK();
        case HSTRNG:
            *r = attributes::string_value(static_cast<const char*>(value));
            return Status::OK();
        case HNAMEL:
            *r = attributes::namelist_value(static_cast<const char*>(value));
            return Status::OK();
        default: break;
    }
    if (!is_date_type_code(atttyp))
        return Status::Error(HBTYPE,
                             "type " + std::to_string(atttyp) +
                                 " is not an attribute type (a date's type code is its frequency)");
    *r = attributes::date_value(load_value<int>(value), atttyp);
    return Status::OK();
}

}  // namespace

extern "C" {

void qzvgtatt_f(int* status, int dbkey, char* objnam, int* atttyp, char* attnam, void* value,
                int inlen, int* outlen) {
    set_status(
        status, run("qzvgtatt_f", [&] {
            CRQX_RETURN_IF_ERROR(api::not_null(atttyp, "atttyp", value, "value", outlen, "outlen"));
            AttributeRecord r;
            CRQX_RETURN_IF_ERROR(read(dbkey, objnam, attnam, &r));
            int wanted = *atttyp;
            *atttyp = attributes::classic_type(r);
            if (!classic_match(r, wanted)) return classic_mismatch(r, wanted);
            *outlen = attributes::value_length(r);
            return write_classic_value(r, value, inlen);
        }));
}

void qzvsatt_f(int* status, int dbkey, char* objnam, int atttyp, char* attnam, void* value) {
    set_status(status, run("qzvsatt_f", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(value, "value"));
                   AttributeRecord r;
                   CRQX_RETURN_IF_ERROR(classic_record(atttyp, value, &r));
                   return write(dbkey, objnam, attnam, r);
               }));
}

void qzvlatt(int* status, int dbkey, char* objnam, int atttyp, char* attnam, int* attlen) {
    set_status(status, run("qzvlatt", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(attlen, "attlen"));
                   AttributeRecord r;
                   CRQX_RETURN_IF_ERROR(read(dbkey, objnam, attnam, &r));
                   if (!classic_match(r, atttyp)) return classic_mismatch(r, atttyp);
                   *attlen = attributes::value_length(r);
                   return Status::OK();
               }));
}

int zavo_get_boolean_attribute(int dbkey, char* objnam, char* attnam, int* value) {
    return run("zavo_get_boolean_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value"));
        AttributeRecord r;
        CRQX_RETURN_IF_ERROR(read_kind(dbkey, objnam, attnam, HBOOLN, &r));
        *value = static_cast<int>(r.number);
        return Status::OK();
    });
}

int zavo_get_date_attribute(int dbkey, char* objnam, char* attnam, int* value, int* freq) {
    return run("zavo_get_date_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value", freq, "freq"));
        AttributeRecord r;
        CRQX_RETURN_IF_ERROR(read_kind(dbkey, objnam, attnam, HDATE, &r));
        *value = static_cast<int>(r.number);
        *freq = r.frequency;
        return Status::OK();
    });
}

int zavo_get_namelist_attribute(int dbkey, char* objnam, char* attnam, char* value, int inlen,
                                int* outlen) {
    return run("zavo_get_namelist_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value", outlen, "outlen"));
        AttributeRecord r;
        CRQX_RETURN_IF_ERROR(read_kind(dbkey, objnam, attnam, HNAMEL, &r));
        return text_value(r, value, inlen, outlen);
    });
}

int zavo_get_numeric_attribute(int dbkey, char* objnam, char* attnam, float* value) {
    return run("zavo_get_numeric_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value"));
        AttributeRecord r;
        CRQX_RETURN_IF_ERROR(read_kind(dbkey, objnam, attnam, HNUMRC, &r));
        *value = attributes::numeric_of(r);
        return Status::OK();
    });
}

int zavo_get_precision_attribute(int dbkey, char* objnam, char* attnam, double* value) {
    return run("zavo_get_precision_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value"));
        AttributeRecord r;
        CRQX_RETURN_IF_ERROR(read_kind(dbkey, objnam, attnam, HPRECN, &r));
        *value = attributes::precision_of(r);
        return Status::OK();
    });
}

int zavo_get_string_attribute(int dbkey, char* objnam, char* attnam, char* value, int inlen,
                              int* outlen) {
    return run("zavo_get_string_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value", outlen, "outlen"));
        AttributeRecord r;
        CRQX_RETURN_IF_ERROR(read_kind(dbkey, objnam, attnam, HSTRNG, &r));
        return text_value(r, value, inlen, outlen);
    });
}

int zavo_set_boolean_attribute(int dbkey, char* objnam, char* attnam, int value) {
    return run("zavo_set_boolean_attribute",
               [&] { return write(dbkey, objnam, attnam, attributes::boolean_value(value)); });
}

int zavo_set_date_attribute(int dbkey, char* objnam, char* attnam, int value, int freq) {
    return run("zavo_set_date_attribute",
               [&] { return write(dbkey, objnam, attnam, attributes::date_value(value, freq)); });
}

int zavo_set_namelist_attribute(int dbkey, char* objnam, char* attnam, char* value) {
    return run("zavo_set_namelist_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value"));
        return write(dbkey, objnam, attnam, attributes::namelist_value(value));
    });
}

int zavo_set_numeric_attribute(int dbkey, char* objnam, char* attnam, float value) {
    return run("zavo_set_numeric_attribute",
               [&] { return write(dbkey, objnam, attnam, attributes::numeric_value(value)); });
}

int zavo_set_precision_attribute(int dbkey, char* objnam, char* attnam, double value) {
    return run("zavo_set_precision_attribute",
               [&] { return write(dbkey, objnam, attnam, attributes::precision_value(value)); });
}

int zavo_set_string_attribute(int dbkey, char* objnam, char* attnam, char* value) {
    return run("zavo_set_string_attribute", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(value, "value"));
        return write(dbkey, objnam, attnam, attributes::string_value(value));
    });
}

}  // extern "C"
