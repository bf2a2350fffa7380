// probe_state.h: what the double keeps between calls: per-function call
// counts and scripts, the call log and the list of problems.
#ifndef PROBE_STATE_H
#define PROBE_STATE_H

#include <cstddef>
#include <string>
#include <vector>

#include "probe.h"

namespace probe {

// Bytes the double writes into a pointer argument when the function is called.
struct Write {
    int arg;            // argument index
    int element;        // element of a char ** argument; -1: the argument itself
    long long offset;   // bytes from the start of the target
    std::string bytes;  // exactly what is written, nothing more
    unsigned on_call;   // only on this call of the function (1-based); 0: every call
};

struct ReturnRule {
    int value;
    unsigned on_call;  // as in Write
};

struct Function {
    const FunctionInfo* info = nullptr;
    unsigned calls = 0;  // since the last reset
    std::vector<Write> writes;
    std::vector<ReturnRule> returns;
};

// Call log, appended to by record_call and read whole by the controller.
using Log = std::vector<unsigned char>;

// Appends one call: name, kind, call number, then each argument with what
// lies behind it (probe_record.cpp describes the layout).
void record_call(Log& log, const Function& function, const ArgView* args, std::size_t count);
void record_result(Log& log, int result);

// Applies the writes due on this call; what cannot be done safely is skipped
// and described in problems.
void apply_writes(const Function& function, const ArgView* args, std::size_t count,
                  std::vector<std::string>& problems);

}  // namespace probe

#endif  // PROBE_STATE_H
