// The engine's small status value: a code of the C interface plus a message.
// The OK path allocates nothing; the C entry points turn a Status into the
// caller's status (and the last-error text) in one place, api::report.
#pragma once

#include <string>
#include <utility>

#include "core/codes.h"

namespace crqx {

class Status {
public:
    Status() = default;
    static Status OK() { return Status(); }
    static Status Error(int code, std::string message) { return Status(code, std::move(message)); }

    bool ok() const { return code_ == HSUCC; }
    int code() const { return code_; }
    const std::string& message() const { return message_; }

private:
    Status(int code, std::string message) : code_(code), message_(std::move(message)) {}
    int code_ = HSUCC;
    std::string message_;
};

// Returns from the enclosing function when `expr` is not OK.
#define CRQX_RETURN_IF_ERROR(expr)   \
    do {                             \
        ::crqx::Status _st = (expr); \
        if (!_st.ok()) return _st;   \
    } while (0)

}  // namespace crqx
