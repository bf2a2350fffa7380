// The library session: whether it is running, the last error, the options,
// and the closers that end every open resource when the session ends.
#pragma once

#include <functional>
#include <string>

#include "core/status.h"

namespace crqx {
namespace session {

bool active();
// Starts the session; false if it is already running.
bool start();
// Ends the session: runs every closer (most recent first), then forgets them.
// False if no session is running.
bool end();

// Registers work to do when the session ends (closing databases, ...).
void on_end(std::function<void()> closer);

// The last error: the function that failed and what went wrong, kept until
// the next failure.
void set_error(const char* function, const std::string& text);
const std::string& last_error();

// Post on close: close posts unposted changes instead of discarding them.
bool post_on_close();
void set_post_on_close(bool on);

// Options, by case-insensitive name. set_option fails with HBOPT (unknown
// name) or HBOPTV (bad value), naming what it was given.
Status set_option(const std::string& name, const std::string& value);
// The current value of an integer option (the name must be a known option).
long option(const std::string& name);

}  // namespace session
}  // namespace crqx
