#include "api/api.h"

namespace crqx {
namespace api {

int fail(const char* function, int status, const std::string& text) {
    session::set_error(function, text);
    return status;
}

int require_session(const char* function) {
    if (session::active()) return HSUCC;
    return fail(function, HNINIT, "no session is running (call qzvini first)");
}

int write_text(char* buffer, size_t capacity, const std::string& text) {
    if (buffer == nullptr || capacity == 0) return text.empty() ? HSUCC : HTRUNC;
    size_t n = text.size();
    int status = HSUCC;
    if (n >= capacity) {
        n = capacity - 1;
        // Step back over UTF-8 continuation bytes so no character is split.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        status = HTRUNC;
    }
    text.copy(buffer, n);
    buffer[n] = '\0';
    return status;
}

}  // namespace api
}  // namespace crqx
