// How the entry points run: inside the guard, only in a running session,
// and with the engine's Status turned into the C status (and the last-error
// text) in this one place; the one null-pointer check; databases opened
// with the session's options.
#pragma once

#include <string>

#include "api/api.h"
#include "core/status.h"
#include "session/store_options.h"
#include "store/registry.h"

namespace crqx {
namespace api {

inline int report(const char* function, const Status& s) {
    return s.ok() ? static_cast<int>(HSUCC) : fail(function, s.code(), s.message());
}

// guarded + require_session + report, for a body that returns a Status.
template <typename Body>
int run(const char* function, Body body) {
    return guarded(function, [&] {
        int rc = require_session(function);
        return rc != HSUCC ? rc : report(function, body());
    });
}

// The one null-pointer check of the entry points: HNULLP naming the first
// null pointer of the (pointer, name) pairs, e.g.
// not_null(year, "year", period, "period").
inline Status not_null() { return Status::OK(); }

template <typename... Rest>
Status not_null(const void* pointer, const char* name, Rest... rest) {
    if (pointer == nullptr) return Status::Error(HNULLP, std::string(name) + " is a null pointer");
    return not_null(rest...);
}

// Opens and registers a database with the session's options. A failure's
// text names the file, unless the store's text already does.
inline Status open_database(const std::string& name, store::Mode mode, int* key,
                            int connection = 0) {
    Status s = store::open_database(name, mode, session::store_options(), key, connection);
    if (s.ok() || name.empty() || s.message().find(name) != std::string::npos) return s;
    return Status::Error(s.code(), "opening '" + name + "': " + s.message());
}

// The open database `key`, or HBKEY.
inline Status database(int key, store::Database** db) { return store::find_database(key, db); }

// The open database `key`, for a call that names an object there.
inline Status object_database(int key, const char* objnam, store::Database** db) {
    CRQX_RETURN_IF_ERROR(not_null(objnam, "the object name"));
    return database(key, db);
}

// Writes `text` into a buffer of `capacity` bytes; HTRUNC (naming `what`)
// when it had to be cut.
inline Status text_out(char* buffer, size_t capacity, const std::string& text, const char* what) {
    if (write_text(buffer, capacity, text) == HSUCC) return Status::OK();
    return Status::Error(HTRUNC, std::string(what) + " was cut to fit its buffer of " +
                                     std::to_string(capacity) + " bytes");
}

// The capacity that a length argument promises: `length` bytes plus the
// terminator; HBLEN when negative.
inline Status capacity_from_length(int length, size_t* capacity) {
    if (length < 0)
        return Status::Error(HBLEN, "buffer length " + std::to_string(length) + " is negative");
    *capacity = static_cast<size_t>(length) + 1;
    return Status::OK();
}

// The first failure of two independent outputs (both were written).
inline Status first_failure(const Status& a, const Status& b) { return a.ok() ? b : a; }

}  // namespace api
}  // namespace crqx
