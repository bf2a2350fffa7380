// The database functions of the C interface: open, close, post, restore,
// pack, and the database-wide properties.
#include "api/status_report.h"
#include "crqx.h"
#include "objects/dates.h"
#include "objects/objects.h"
#include "session/session.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;
using store::Database;
using store::DatabaseInfo;

namespace {

// Highest dimension number: one per letter A..Z (0: no dimension).
constexpr int kMaxDimension = 26;

Status open_named(int* dbkey, const char* dbname, int mode_code) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(dbname, "dbname"));
    store::Mode mode;
    CRQX_RETURN_IF_ERROR(store::mode_from_code(mode_code, &mode));
    return api::open_database(dbname, mode, dbkey);
}

Status with_info(int dbkey, DatabaseInfo* info) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    return db->store->read_info(info);
}

// Reads the database's properties, lets `edit` change them and stores them
// as one change.
template <typename Edit>
Status edit_info(int dbkey, Edit edit) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    return objects::as_change(*db, [&] {
        DatabaseInfo info;
        CRQX_RETURN_IF_ERROR(db->store->read_info(&info));
        CRQX_RETURN_IF_ERROR(edit(info));
        return db->store->write_info(info);
    });
}

template <typename Action>
Status on_store(int dbkey, Action action) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    return objects::about_database(*db, action(*db->store));
}

Status dates_as_indexes(int dbkey, int freq, int* cdate, int* mdate) {
    CRQX_RETURN_IF_ERROR(api::not_null(cdate, "cdate"));
    CRQX_RETURN_IF_ERROR(api::not_null(mdate, "mdate"));
    DatabaseInfo info;
    CRQX_RETURN_IF_ERROR(with_info(dbkey, &info));
    CRQX_RETURN_IF_ERROR(objects::index_of_ms(freq, info.created_ms, cdate));
    return objects::index_of_ms(freq, info.modified_ms, mdate);
}

}  // namespace

extern "C" {

void qzvopdb(int* status, int* dbkey, char* dbname, int mode) {
    set_status(status, run("qzvopdb", [&] { return open_named(dbkey, dbname, mode); }));
}

void qzvopwk(int* status, int* dbkey) {
    set_status(status, run("qzvopwk", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
                   return api::open_database("", store::Mode::Work, dbkey);
               }));
}

void qzvcldb(int* status, int dbkey) {
    set_status(status, run("qzvcldb",
                           [&] { return store::close_database(dbkey, session::post_on_close()); }));
}

void qzvpodb(int* status, int dbkey) {
    set_status(status, run("qzvpodb", [&] {
                   return on_store(dbkey, [](store::Store& s) { return s.post(); });
               }));
}

void qzvrsdb(int* status, int dbkey) {
    set_status(status, run("qzvrsdb", [&] {
                   return on_store(dbkey, [](store::Store& s) { return s.restore(); });
               }));
}

void qzvpack(int* status, int dbkey) {
    set_status(status, run("qzvpack", [&] {
                   return on_store(dbkey, [](store::Store& s) { return s.pack(); });
               }));
}

void qzvgdba(int* status, int dbkey, int* cyear, int* cmonth, int* cday, int* myear, int* mmonth,
             int* mday, char* desc, char* doc) {
    set_status(
        status, run("qzvgdba", [&] {
            for (const void* p :
                 {(const void*)cyear, (const void*)cmonth, (const void*)cday, (const void*)myear,
                  (const void*)mmonth, (const void*)mday, (const void*)desc, (const void*)doc})
                CRQX_RETURN_IF_ERROR(api::not_null(p, "an output argument"));
            DatabaseInfo info;
            CRQX_RETURN_IF_ERROR(with_info(dbkey, &info));
            objects::CivilDate c = objects::civil_of_ms(info.created_ms);
            objects::CivilDate m = objects::civil_of_ms(info.modified_ms);
            *cyear = c.year, *cmonth = c.month, *cday = c.day;
            *myear = m.year, *mmonth = m.month, *mday = m.day;
            Status d =
                api::text_out(desc, api::capacity_of(desc), info.description, "the description");
            return api::first_failure(d, api::text_out(doc, api::capacity_of(doc),
                                                       info.documentation, "the documentation"));
        }));
}

void qzvgdbd(int* status, int dbkey, int freq, int* cdate, int* mdate) {
    set_status(status, run("qzvgdbd", [&] { return dates_as_indexes(dbkey, freq, cdate, mdate); }));
}

void qzvddes(int* status, int dbkey, char* des) {
    set_status(status, run("qzvddes", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(des, "des"));
                   return edit_info(dbkey, [&](DatabaseInfo& info) {
                       info.description = des;
                       return Status::OK();
                   });
               }));
}

void qzvddoc(int* status, int dbkey, char* doc) {
    set_status(status, run("qzvddoc", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(doc, "doc"));
                   return edit_info(dbkey, [&](DatabaseInfo& info) {
                       info.documentation = doc;
                       return Status::OK();
                   });
               }));
}

void qzvglen(int* status, int dbkey, int* deslen, int* doclen) {
    set_status(status, run("qzvglen", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(deslen, "deslen"));
                   CRQX_RETURN_IF_ERROR(api::not_null(doclen, "doclen"));
                   DatabaseInfo info;
                   CRQX_RETURN_IF_ERROR(with_info(dbkey, &info));
                   *deslen = static_cast<int>(info.description.size());
                   *doclen = static_cast<int>(info.documentation.size());
                   return Status::OK();
               }));
}

void qzvset_dimension(int* status, int dbkey, int dimen) {
    set_status(status, run("qzvset_dimension", [&] {
                   if (dimen < 0 || dimen > kMaxDimension)
                       return Status::Error(
                           HBADVAL, "dimension " + std::to_string(dimen) + " is not within 0..26");
                   return edit_info(dbkey, [&](DatabaseInfo& info) {
                       info.dimension = dimen;
                       return Status::OK();
                   });
               }));
}

void qzvget_dimension(int* status, int dbkey, int* dimen) {
    set_status(status, run("qzvget_dimension", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(dimen, "dimen"));
                   DatabaseInfo info;
                   CRQX_RETURN_IF_ERROR(with_info(dbkey, &info));
                   *dimen = info.dimension;
                   return Status::OK();
               }));
}

void qzvset_extradots(int* status, int dbkey, int xdots) {
    set_status(status, run("qzvset_extradots", [&] {
                   if (xdots != HYES && xdots != HNO)
                       return Status::Error(HBFLAG, "xdots must be HYES (1) or HNO (0), not " +
                                                        std::to_string(xdots));
                   return edit_info(dbkey, [&](DatabaseInfo& info) {
                       info.extra_dots = xdots;
                       return Status::OK();
                   });
               }));
}

void qzvget_extradots(int* status, int dbkey, int* xdots) {
    set_status(status, run("qzvget_extradots", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(xdots, "xdots"));
                   DatabaseInfo info;
                   CRQX_RETURN_IF_ERROR(with_info(dbkey, &info));
                   *xdots = info.extra_dots;
                   return Status::OK();
               }));
}

int zavo_get_dbversion(int dbkey, int* dbversion) {
    return run("zavo_get_dbversion", [&] {
        CRQX_RETURN_IF_ERROR(api::not_null(dbversion, "dbversion"));
        DatabaseInfo info;
        CRQX_RETURN_IF_ERROR(with_info(dbkey, &info));
        *dbversion = info.version;
        return Status::OK();
    });
}

int zavo_get_db_dates(int dbkey, int* cdate, int* mdate) {
    return run("zavo_get_db_dates",
               [&] { return dates_as_indexes(dbkey, objects::kTimestampFrequency, cdate, mdate); });
}

}  // extern "C"
