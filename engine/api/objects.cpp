// The object lifecycle functions of the C interface: create, preallocate,
// copy, rename, delete, and the settable properties.
#include "objects/objects.h"
#include "api/status_report.h"
#include "crqx.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;
using store::Database;
using store::ObjectRecord;

namespace {

Status create(int dbkey, const char* objnam, const objects::NewObject& wanted) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    return objects::create_object(*db, objnam, wanted);
}

template <typename Edit>
Status modify(int dbkey, const char* objnam, Edit edit) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    return objects::modify_object(*db, objnam, edit);
}

}  // namespace

extern "C" {

void qzvnwob(int* status, int dbkey, char* objnam, int class_, int freq, int type, int basis,
             int observ) {
    set_status(status, run("qzvnwob", [&] {
                   return create(dbkey, objnam, {class_, freq, type, basis, observ, 0, 0, 0.0});
               }));
}

void qzvalob(int* status, int dbkey, char* objnam, int class_, int freq, int type, int basis,
             int observ, int numobs, int numchr, float growth) {
    set_status(status, run("qzvalob", [&] {
                   return create(dbkey, objnam,
                                 {class_, freq, type, basis, observ, numobs, numchr, growth});
               }));
}

void qzvcpob(int* status, int srckey, int tarkey, char* srcnam, char* tarnam) {
    set_status(status, run("qzvcpob", [&] {
                   Database *from = nullptr, *to = nullptr;
                   CRQX_RETURN_IF_ERROR(api::object_database(srckey, srcnam, &from));
                   CRQX_RETURN_IF_ERROR(api::object_database(tarkey, tarnam, &to));
                   return objects::copy_object(*from, *to, srcnam, tarnam);
               }));
}

void qzvdlob(int* status, int dbkey, char* objnam) {
    set_status(status, run("qzvdlob", [&] {
                   Database* db = nullptr;
                   CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
                   return objects::delete_object(*db, objnam);
               }));
}

void qzvrnob(int* status, int dbkey, char* srcnam, char* tarnam) {
    set_status(status, run("qzvrnob", [&] {
                   Database* db = nullptr;
                   CRQX_RETURN_IF_ERROR(api::object_database(dbkey, srcnam, &db));
                   CRQX_RETURN_IF_ERROR(api::not_null(tarnam, "tarnam"));
                   return objects::rename_object(*db, srcnam, tarnam);
               }));
}

void qzvsbas(int* status, int dbkey, char* objnam, int basis) {
    set_status(status, run("qzvsbas", [&] {
                   CRQX_RETURN_IF_ERROR(objects::check_basis(basis));
                   return modify(dbkey, objnam, [&](ObjectRecord& r) {
                       r.basis = basis;
                       return Status::OK();
                   });
               }));
}

void qzvsobs(int* status, int dbkey, char* objnam, int observ) {
    set_status(status, run("qzvsobs", [&] {
                   CRQX_RETURN_IF_ERROR(objects::check_observed(observ));
                   return modify(dbkey, objnam, [&](ObjectRecord& r) {
                       r.observed = observ;
                       return Status::OK();
                   });
               }));
}

void qzvsdes(int* status, int dbkey, char* objnam, char* desc) {
    set_status(status, run("qzvsdes", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(desc, "desc"));
                   return modify(dbkey, objnam, [&](ObjectRecord& r) {
                       r.description = desc;
                       return Status::OK();
                   });
               }));
}

void qzvsdoc(int* status, int dbkey, char* objnam, char* doc) {
    set_status(status, run("qzvsdoc", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(doc, "doc"));
                   return modify(dbkey, objnam, [&](ObjectRecord& r) {
                       r.documentation = doc;
                       return Status::OK();
                   });
               }));
}

}  // extern "C"
