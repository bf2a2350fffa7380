// The object inquiry functions of the C interface, and the translations
// between type codes, dimension numbers and their texts.

#include "api/status_report.h"
#include "calendar/frequency.h"
#include "crqx.h"
#include "formulas/formulas.h"
#include "objects/dates.h"
#include "objects/objects.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;
using store::Database;
using store::ObjectRecord;

namespace {

constexpr int kMaxDimension = 26;  // dimensions 1..26 are the letters A..Z

Status lookup(int dbkey, const char* objnam, ObjectRecord* record) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    Status s = objects::find_object(*db, objnam, record);
    if (s.code() == HNOOBJ && formulas::find_global(dbkey, objnam, &db, record).ok())
        s = Status::OK();
    CRQX_RETURN_IF_ERROR(s);
    if (formulas::is_formula_class(record->object_class)) formulas::describe(*db, record);
    return Status::OK();
}

void store_codes(const ObjectRecord& r, int* class_, int* type, int* freq) {
    *class_ = r.object_class;
    *type = r.type;
    *freq = r.frequency;
}

void store_span(const ObjectRecord& r, int* fyear, int* fprd, int* lyear, int* lprd) {
    objects::year_period(r.frequency, r.first_index, fyear, fprd);
    objects::year_period(r.frequency, r.last_index, lyear, lprd);
}

void store_civil(int64_t ms, int* year, int* month, int* day) {
    objects::CivilDate d = objects::civil_of_ms(ms);
    *year = d.year, *month = d.month, *day = d.day;
}

// A text written within a buffer whose size comes as a length argument;
// the full length goes to *outlen so a caller can size a second call.
Status text_with_length(char* buffer, int inlen, int* outlen, const std::string& text,
                        const char* what) {
    *outlen = static_cast<int>(text.size());
    size_t capacity = 0;
    CRQX_RETURN_IF_ERROR(api::capacity_from_length(inlen, &capacity));
    return api::text_out(buffer, capacity, text, what);
}

std::string type_name(int type) {
    switch (type) {
        case HUNDFT: return "UNDEFINED";
        case HNUMRC: return "NUMERIC";
        case HNAMEL: return "NAMELIST";
        case HBOOLN: return "BOOLEAN";
        case HSTRNG: return "STRING";
        case HPRECN: return "PRECISION";
        case HDATE: return "DATE";
        default: break;
    }
    std::string frequency = type >= HDAILY ? calendar::frequency_name(type) : std::string();
    return frequency.empty() ? std::string() : "DATE:" + frequency;
}

Status info_texts(const ObjectRecord& r, char* desc, int indesclen, int* outdesclen, char* doc,
                  int indoclen, int* outdoclen) {
    Status d = text_with_length(desc, indesclen, outdesclen, r.description, "the description");
    Status o = text_with_length(doc, indoclen, outdoclen, r.documentation, "the documentation");
    return api::first_failure(d, o);
}

}  // namespace

extern "C" {

void qzvwhat(int* status, int dbkey, char* objnam, int* class_, int* type, int* freq, int* basis,
             int* observ, int* fyear, int* fprd, int* lyear, int* lprd, int* cyear, int* cmonth,
             int* cday, int* myear, int* mmonth, int* mday, char* desc, char* doc) {
    set_status(
        status, run("qzvwhat", [&] {
            CRQX_RETURN_IF_ERROR(
                api::not_null(class_, "class_", type, "type", freq, "freq", basis, "basis", observ,
                              "observ", fyear, "fyear", fprd, "fprd", lyear, "lyear", lprd, "lprd",
                              cyear, "cyear", cmonth, "cmonth", cday, "cday", myear, "myear",
                              mmonth, "mmonth", mday, "mday", desc, "desc", doc, "doc"));
            ObjectRecord r;
            CRQX_RETURN_IF_ERROR(lookup(dbkey, objnam, &r));
            store_codes(r, class_, type, freq);
            *basis = r.basis;
            *observ = r.observed;
            store_span(r, fyear, fprd, lyear, lprd);
            store_civil(r.created_ms, cyear, cmonth, cday);
            store_civil(r.modified_ms, myear, mmonth, mday);
            Status d =
                api::text_out(desc, api::capacity_of(desc), r.description, "the description");
            return api::first_failure(
                d, api::text_out(doc, api::capacity_of(doc), r.documentation, "the documentation"));
        }));
}

void qzvosiz(int* status, int dbkey, char* objnam, int* class_, int* type, int* freq, int* fyear,
             int* fprd, int* lyear, int* lprd) {
    set_status(status, run("qzvosiz", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(class_, "class_", type, "type", freq, "freq",
                                                      fyear, "fyear", fprd, "fprd", lyear, "lyear",
                                                      lprd, "lprd"));
                   ObjectRecord r;
                   CRQX_RETURN_IF_ERROR(lookup(dbkey, objnam, &r));
                   store_codes(r, class_, type, freq);
                   store_span(r, fyear, fprd, lyear, lprd);
                   return Status::OK();
               }));
}

void qzvdlen(int* status, int dbkey, char* objnam, int* deslen, int* doclen) {
    set_status(status, run("qzvdlen", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(deslen, "deslen", doclen, "doclen"));
                   ObjectRecord r;
                   CRQX_RETURN_IF_ERROR(lookup(dbkey, objnam, &r));
                   *deslen = static_cast<int>(r.description.size());
                   *doclen = static_cast<int>(r.documentation.size());
                   return Status::OK();
               }));
}

void qzvgdat(int* status, int dbkey, char* objnam, int freq, int* cdate, int* mdate) {
    set_status(status, run("qzvgdat", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(cdate, "cdate", mdate, "mdate"));
                   ObjectRecord r;
                   CRQX_RETURN_IF_ERROR(lookup(dbkey, objnam, &r));
                   CRQX_RETURN_IF_ERROR(objects::index_of_ms(freq, r.created_ms, cdate));
                   return objects::index_of_ms(freq, r.modified_ms, mdate);
               }));
}

void qzvgnam(int* status, int dbkey, char* objnam, char* basnam) {
    set_status(status, run("qzvgnam", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(basnam, "basnam"));
                   ObjectRecord r;
                   CRQX_RETURN_IF_ERROR(lookup(dbkey, objnam, &r));
                   return api::text_out(basnam, api::capacity_of(basnam), r.name, "the name");
               }));
}

int zavo_info(int dbkey, char* oname, int* oclass, int* type, int* freq, int* findex, int* lindex,
              int* basis, int* observ, int* cdate, int* mdate, char* desc, int indesclen,
              int* outdesclen, char* doc, int indoclen, int* outdoclen) {
    return run("zavo_info", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(
            oclass, "oclass", type, "type", freq, "freq", findex, "findex", lindex, "lindex", basis,
            "basis", observ, "observ", cdate, "cdate", mdate, "mdate", desc, "desc", outdesclen,
            "outdesclen", doc, "doc", outdoclen, "outdoclen"));
        ObjectRecord r;
        CRQX_RETURN_IF_ERROR(lookup(dbkey, oname, &r));
        store_codes(r, oclass, type, freq);
        *findex = objects::index_or_missing(r.first_index);
        *lindex = objects::index_or_missing(r.last_index);
        *basis = r.basis;
        *observ = r.observed;
        CRQX_RETURN_IF_ERROR(
            objects::index_of_ms(objects::kTimestampFrequency, r.created_ms, cdate));
        CRQX_RETURN_IF_ERROR(
            objects::index_of_ms(objects::kTimestampFrequency, r.modified_ms, mdate));
        return info_texts(r, desc, indesclen, outdesclen, doc, indoclen, outdoclen);
    });
}

int zavo_quick_info(int dbkey, char* oname, int* oclass, int* type, int* freq, int* findex,
                    int* lindex) {
    return run("zavo_quick_info", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(oclass, "oclass", type, "type", freq, "freq", findex,
                                           "findex", lindex, "lindex"));
        ObjectRecord r;
        CRQX_RETURN_IF_ERROR(lookup(dbkey, oname, &r));
        store_codes(r, oclass, type, freq);
        *findex = objects::index_or_missing(r.first_index);
        *lindex = objects::index_or_missing(r.last_index);
        return Status::OK();
    });
}

int zavo_get_real_name(int dbkey, char* objname, char* basename, int inlen, int* outlen) {
    return run("zavo_get_real_name", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(basename, "basename", outlen, "outlen"));
        ObjectRecord r;
        CRQX_RETURN_IF_ERROR(lookup(dbkey, objname, &r));
        return text_with_length(basename, inlen, outlen, r.name, "the name");
    });
}

int zavo_type_to_string(int type, char* type_spec, int inlen, int* outlen) {
    return run("zavo_type_to_string", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(type_spec, "type_spec", outlen, "outlen"));
        std::string name = type_name(type);
        if (name.empty())
            return Status::Error(HBTYPE, "type " + std::to_string(type) + " is not a value type");
        return text_with_length(type_spec, inlen, outlen, name, "the type name");
    });
}

int zavo_dimnum(int* dimnum, char dimchar) {
    return run("zavo_dimnum", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(dimnum, "dimnum"));
        char upper =
            (dimchar >= 'a' && dimchar <= 'z') ? static_cast<char>(dimchar - 'a' + 'A') : dimchar;
        if (upper < 'A' || upper > 'Z')
            return Status::Error(HBADVAL, "a dimension letter is one of A..Z");
        *dimnum = upper - 'A' + 1;
        return Status::OK();
    });
}

int zavo_dimchar(char* dimchar, int dimnum) {
    return run("zavo_dimchar", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(dimchar, "dimchar"));
        if (dimnum < 1 || dimnum > kMaxDimension)
            return Status::Error(HBADVAL,
                                 "dimension " + std::to_string(dimnum) + " is not within 1..26");
        return api::text_out(dimchar, api::capacity_of(dimchar),
                             std::string(1, static_cast<char>('A' + dimnum - 1)),
                             "the dimension letter");
    });
}

}  // extern "C"
