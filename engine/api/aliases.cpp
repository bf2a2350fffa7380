// The alias and association functions of the C interface. Each list is
// read and written whole, as names separated by commas.
#include "aliases/aliases.h"
#include "api/status_report.h"
#include "crqx.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;
using store::Database;
using store::NameList;

namespace {

Status set_list(int dbkey, const char* objnam, NameList list, const char* text) {
    CRQX_RETURN_IF_ERROR(api::not_null(text, "the name list"));
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    return aliases::set_names(*db, objnam, list, text);
}

Status list_text(int dbkey, const char* objnam, NameList list, std::string* text) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    return aliases::get_names(*db, objnam, list, text);
}

// The list into a buffer of `inlen` bytes plus the terminator; the full
// length goes to *outlen whether or not it fits.
Status get_list(int dbkey, const char* objnam, NameList list, char* buffer, int inlen,
                int* outlen) {
    CRQX_RETURN_IF_ERROR(api::not_null(buffer, "the text buffer"));
    CRQX_RETURN_IF_ERROR(api::not_null(outlen, "outlen"));
    std::string text;
    CRQX_RETURN_IF_ERROR(list_text(dbkey, objnam, list, &text));
    *outlen = static_cast<int>(text.size());
    size_t capacity = 0;
    CRQX_RETURN_IF_ERROR(api::capacity_from_length(inlen, &capacity));
    return api::text_out(buffer, capacity, text, "the name list");
}

Status list_length(int dbkey, const char* objnam, NameList list, int* length) {
    CRQX_RETURN_IF_ERROR(api::not_null(length, "the length"));
    std::string text;
    CRQX_RETURN_IF_ERROR(list_text(dbkey, objnam, list, &text));
    *length = static_cast<int>(text.size());
    return Status::OK();
}

}  // namespace

extern "C" {

void qzvsali(int* status, int dbkey, char* objnam, char* aliass) {
    set_status(status,
               run("qzvsali", [&] { return set_list(dbkey, objnam, NameList::Aliases, aliass); }));
}

void qzvgtali(int* status, int dbkey, char* objnam, char* aliass, int inlen, int* outlen) {
    set_status(status, run("qzvgtali", [&] {
                   return get_list(dbkey, objnam, NameList::Aliases, aliass, inlen, outlen);
               }));
}

void qzvlali(int* status, int dbkey, char* objnam, int* alilen) {
    set_status(status, run("qzvlali",
                           [&] { return list_length(dbkey, objnam, NameList::Aliases, alilen); }));
}

void qzvsaso(int* status, int dbkey, char* objnam, char* assoc) {
    set_status(status, run("qzvsaso",
                           [&] { return set_list(dbkey, objnam, NameList::Associations, assoc); }));
}

void qzvgtaso(int* status, int dbkey, char* objnam, char* assoc, int inlen, int* outlen) {
    set_status(status, run("qzvgtaso", [&] {
                   return get_list(dbkey, objnam, NameList::Associations, assoc, inlen, outlen);
               }));
}

void qzvlaso(int* status, int dbkey, char* objnam, int* asolen) {
    set_status(status, run("qzvlaso", [&] {
                   return list_length(dbkey, objnam, NameList::Associations, asolen);
               }));
}

}  // extern "C"
