// The namelist functions of the C interface: one element at a time, or the
// whole list as text with the index HNLALL.
#include "namelists/namelists.h"
#include "api/status_report.h"
#include "crqx.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;
using store::Database;

namespace {

Status element_text(int dbkey, const char* objnam, int index, std::string* text) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    return namelists::read_element(*db, objnam, index, text);
}

}  // namespace

extern "C" {

void qzvgtnl(int* status, int dbkey, char* objnam, int index, char* strval, int inlen,
             int* outlen) {
    set_status(status, run("qzvgtnl", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(strval, "strval"));
                   CRQX_RETURN_IF_ERROR(api::not_null(outlen, "outlen"));
                   std::string text;
                   CRQX_RETURN_IF_ERROR(element_text(dbkey, objnam, index, &text));
                   *outlen = static_cast<int>(text.size());
                   size_t capacity = 0;
                   CRQX_RETURN_IF_ERROR(api::capacity_from_length(inlen, &capacity));
                   return api::text_out(strval, capacity, text, "the element");
               }));
}

void qzvwtnl(int* status, int dbkey, char* objnam, int index, char* strval) {
    set_status(status, run("qzvwtnl", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(strval, "strval"));
                   Database* db = nullptr;
                   CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
                   return namelists::write_element(*db, objnam, index, strval);
               }));
}

void qzvnlen(int* status, int dbkey, char* objnam, int index, int* length) {
    set_status(status, run("qzvnlen", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(length, "length"));
                   std::string text;
                   CRQX_RETURN_IF_ERROR(element_text(dbkey, objnam, index, &text));
                   *length = static_cast<int>(text.size());
                   return Status::OK();
               }));
}

void qzvncnt(int* status, int dbkey, char* objnam, int* length) {
    set_status(status, run("qzvncnt", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(length, "length"));
                   Database* db = nullptr;
                   CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
                   return namelists::count_elements(*db, objnam, length);
               }));
}

}  // extern "C"
