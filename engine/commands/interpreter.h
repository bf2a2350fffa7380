// The session's command interpreter: a small line-oriented command language
// on the expression evaluator. What commands print goes to an output queue
// that callers drain; INPUT reads lines that callers supply beforehand.
#pragma once

#include <string>

#include "core/status.h"

namespace crqx {
namespace commands {

// Runs the lines of `text` (separated by newlines or semicolons) in order,
// stopping at the first that fails: its status, with "line N: " before
// its message. Earlier lines keep their effect; each line is all or
// nothing. `database`, when not 0, is the current database for this run.
Status run(const std::string& text, int database = 0);

// The expression the last run evaluated (PRINT, EVAL or an assignment), ""
// when none: zavo_remexec stores its value.
const std::string& last_expression();
// FROM/TO literals of the current range ("" for none) and its frequency.
void current_bounds(std::string* from, std::string* to, int* frequency);

// Appends lines for INPUT to read.
void add_input(const std::string& text);

// Takes up to `capacity` bytes of the output queue, never splitting a
// UTF-8 character: HNOOBJ when the queue is empty, HBLEN when its next
// character does not fit.
Status take_output(size_t capacity, std::string* piece);

// PRINT shows at most this many observations (more: HBNRNG).
constexpr int64_t kMaxPrinted = 1000000;

}  // namespace commands
}  // namespace crqx
