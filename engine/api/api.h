// Helpers shared by the C entry points: status reporting with the last-error
// text, safe text output, and the guard that keeps C++ exceptions inside.
#pragma once

#include <cstddef>
#include <new>
#include <string>

#include "core/codes.h"
#include "session/session.h"

namespace crqx {
namespace api {

// Records "function: text" as the last error and returns `status`.
int fail(const char* function, int status, const std::string& text);

// HNINIT with its error text when no session is running, else HSUCC.
int require_session(const char* function);

// Copies `text` into `buffer`, which holds `capacity` bytes including the
// terminator. Returns HSUCC, or HTRUNC when the text had to be cut (at a
// UTF-8 character boundary, so the result stays valid text).
int write_text(char* buffer, size_t capacity, const std::string& text);

// Capacity of a caller's output buffer that comes without a length: the
// length of the text it holds on entry, plus the terminator.
inline size_t capacity_of(const char* buffer) {
    size_t n = 0;
    while (buffer[n] != '\0') ++n;
    return n + 1;
}

// Runs `body` (returning a status); exceptions become statuses with an error
// text, never cross the C boundary.
template <typename Body>
int guarded(const char* function, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return fail(function, HNOMEM, "out of memory");
    } catch (const std::exception& e) {
        return fail(function, HIFAIL, std::string("internal failure: ") + e.what());
    } catch (...) {
        return fail(function, HIFAIL, "internal failure");
    }
}

// Stores a classic function's status, returning nothing.
inline void set_status(int* status, int code) {
    if (status != nullptr) *status = code;
}

}  // namespace api
}  // namespace crqx
