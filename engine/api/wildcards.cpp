// The wildcard search functions of the C interface.
#include "objects/wildcards.h"
#include "api/status_report.h"
#include "crqx.h"
#include "objects/dates.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;

namespace {

// Caller's texts may carry the blanks of a buffer; they are not part of a
// pattern or a start name.
std::string trimmed(const char* text) {
    std::string s = text;
    size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

Status start(int dbkey, const char* pattern, int only_class, const std::string& from,
             objects::Search* search) {
    CRQX_RETURN_IF_ERROR(api::not_null(pattern, "the pattern"));
    store::Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    return objects::start_search(*db, trimmed(pattern), only_class, from, search);
}

// The search moves past a match only once its name reached the caller whole;
// a cut name (HTRUNC) stays next, for a second call with a larger buffer.
Status deliver(objects::Search& search, Status written) {
    if (written.ok()) objects::advance(search);
    return written;
}

}  // namespace

extern "C" {

void qzvinwc(int* status, int dbkey, char* wilnam) {
    set_status(status, run("qzvinwc", [&] {
                   objects::Search search;
                   CRQX_RETURN_IF_ERROR(start(dbkey, wilnam, 0, "", &search));
                   objects::set_classic_search(dbkey, std::move(search));
                   return Status::OK();
               }));
}

void qzvnxwc(int* status, int dbkey, char* objnam, int* class_, int* type, int* freq) {
    set_status(status, run("qzvnxwc", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(objnam, "objnam", class_, "class_", type,
                                                      "type", freq, "freq"));
                   // A key that names no open database is HBKEY, as in every
                   // function; HNWILD is for an open one with no search.
                   store::Database* db = nullptr;
                   CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
                   objects::Search* search = nullptr;
                   CRQX_RETURN_IF_ERROR(objects::classic_search(dbkey, &search));
                   const store::ObjectSummary* m = nullptr;
                   CRQX_RETURN_IF_ERROR(objects::peek_match(*search, &m));
                   *class_ = m->object_class, *type = m->type, *freq = m->frequency;
                   return deliver(*search, api::text_out(objnam, api::capacity_of(objnam), m->name,
                                                         "the name"));
               }));
}

int zavo_init_wildcard(int dbkey, int* wildkey, char* wildname, int wildonly, char* wildstart) {
    return run("zavo_init_wildcard", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(wildkey, "wildkey"));
        CRQX_RETURN_IF_ERROR(api::not_null(wildstart, "wildstart"));
        objects::Search search;
        CRQX_RETURN_IF_ERROR(start(dbkey, wildname, wildonly, trimmed(wildstart), &search));
        *wildkey = objects::add_search(std::move(search));
        return Status::OK();
    });
}

int zavo_get_next_wildcard(int wildkey, char* objname, int* obj_class, int* type, int* freq,
                           int* start_index, int* end_index, int inlen, int* outlen) {
    return run("zavo_get_next_wildcard", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(objname, "objname", obj_class, "obj_class", type, "type",
                                           freq, "freq", start_index, "start_index", end_index,
                                           "end_index", outlen, "outlen"));
        objects::Search* search = nullptr;
        CRQX_RETURN_IF_ERROR(objects::find_search(wildkey, &search));
        size_t capacity = 0;
        CRQX_RETURN_IF_ERROR(api::capacity_from_length(inlen, &capacity));
        const store::ObjectSummary* m = nullptr;
        Status next = objects::peek_match(*search, &m);
        if (!next.ok())
            return Status::Error(next.code(),
                                 "search " + std::to_string(wildkey) + ": " + next.message());
        *obj_class = m->object_class, *type = m->type, *freq = m->frequency;
        *start_index = objects::index_or_missing(m->first_index);
        *end_index = objects::index_or_missing(m->last_index);
        *outlen = static_cast<int>(m->name.size());
        return deliver(*search, api::text_out(objname, capacity, m->name, "the name"));
    });
}

int zavo_free_wildcard(int wildkey) {
    return run("zavo_free_wildcard", [&] { return objects::free_search(wildkey); });
}

}  // extern "C"
