// How the storage and object entry points run: inside the guard, only in a
// running session, and with the engine's Status turned into the C status
// (and the last-error text) in this one place.
#pragma once

#include <string>

#include "api/api.h"
#include "store/registry.h"
#include "store/status.h"

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

inline Status not_null(const void* pointer, const char* what) {
    if (pointer != nullptr) return Status::OK();
    return Status::Error(HNULLP, std::string(what) + " is a null pointer");
}

// HNULLP naming `what` when any of the pointers is null.
template <typename... Pointers>
Status all_not_null(const char* what, const Pointers*... pointers) {
    for (const void* p : {static_cast<const void*>(pointers)...}) CRQX_RETURN_IF_ERROR(not_null(p, what));
    return Status::OK();
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
    if (length < 0) return Status::Error(HBLEN, "a buffer length must not be negative");
    *capacity = static_cast<size_t>(length) + 1;
    return Status::OK();
}

// The first failure of two independent outputs (both were written).
inline Status first_failure(const Status& a, const Status& b) { return a.ok() ? b : a; }

}  // namespace api
}  // namespace crqx
