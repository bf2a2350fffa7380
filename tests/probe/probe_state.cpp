// probe_state.cpp: the double's state and the C interface its controller
// (controller.py) drives through ctypes. One lock guards everything, so a
// module calling from several threads still leaves a consistent log.
#include "probe_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "alloc_size.h"

namespace probe {

void restore_data_defaults();  // probe_data.cpp

namespace {

struct State {
    std::mutex lock;
    std::unordered_map<std::string, Function> functions;  // node-based: references stay valid
    Log log;
    std::vector<std::string> problems;

    State() {
        for (std::size_t i = 0; i < kFunctionCount; ++i)
            functions[kFunctions[i].name].info = &kFunctions[i];
    }
};

State& state() {
    static State instance;
    return instance;
}

Function* find_function(const char* name) {
    auto& functions = state().functions;
    const auto found = functions.find(name ? name : "");
    return found == functions.end() ? nullptr : &found->second;
}

int scripted_result(const Function& function) {
    const ReturnRule* every_call = nullptr;
    for (const ReturnRule& rule : function.returns) {
        if (rule.on_call == function.calls) return rule.value;
        if (rule.on_call == 0) every_call = &rule;
    }
    return every_call ? every_call->value : 0;
}

std::size_t copy_out(const void* source, std::size_t size, void* destination,
                     std::size_t capacity) {
    std::size_t n = size < capacity ? size : capacity;
    if (destination && n > 0) std::memcpy(destination, source, n);
    return size;
}

}  // namespace

Function& function_named(const char* name) {
    Function* function = find_function(name);
    if (!function) {
        std::fprintf(stderr, "crqx probe: no function named %s\n", name);
        std::abort();
    }
    return *function;
}

int handle_call(Function& function, const ArgView* args, std::size_t count) {
    State& s = state();
    const std::lock_guard<std::mutex> guard(s.lock);
    ++function.calls;
    record_call(s.log, function, args, count);
    apply_writes(function, args, count, s.problems);
    const int result = function.info->extended ? scripted_result(function) : 0;
    record_result(s.log, result);
    return result;
}

}  // namespace probe

using probe::state;

// Forgets calls, scripts and problems; data objects return to their defaults.
PROBE_API void probe_reset(void) {
    const std::lock_guard<std::mutex> guard(state().lock);
    for (auto& entry : state().functions) {
        entry.second.calls = 0;
        entry.second.writes.clear();
        entry.second.returns.clear();
    }
    state().log.clear();
    state().problems.clear();
    probe::restore_data_defaults();
}

// Forgets the calls only: scripts and call numbering carry on, and the log
// keeps its memory, so a long loop of calls does not grow the process.
PROBE_API void probe_reset_log(void) {
    const std::lock_guard<std::mutex> guard(state().lock);
    state().log.clear();
}

// Copies up to capacity bytes of the call log; returns its full size.
PROBE_API std::size_t probe_log(void* destination, std::size_t capacity) {
    const std::lock_guard<std::mutex> guard(state().lock);
    const probe::Log& log = state().log;
    return probe::copy_out(log.data(), log.size(), destination, capacity);
}

// The problems so far, one per line; same copying rule as probe_log.
PROBE_API std::size_t probe_problems(char* destination, std::size_t capacity) {
    const std::lock_guard<std::mutex> guard(state().lock);
    std::string text;
    for (const std::string& problem : state().problems) text += problem + "\n";
    return probe::copy_out(text.data(), text.size(), destination, capacity);
}

PROBE_API void probe_clear_problems(void) {
    const std::lock_guard<std::mutex> guard(state().lock);
    state().problems.clear();
}

// Scripting. Each returns 0, or -1 for an unknown function, -2 for a bad argument.
PROBE_API int probe_script_return(const char* function_name, int value, unsigned on_call) {
    const std::lock_guard<std::mutex> guard(state().lock);
    probe::Function* function = probe::find_function(function_name);
    if (!function) return -1;
    if (!function->info->extended) return -2;
    auto& returns = function->returns;
    for (auto& rule : returns) {
        if (rule.on_call == on_call) {
            rule.value = value;
            return 0;
        }
    }
    returns.push_back({value, on_call});
    return 0;
}

PROBE_API int probe_script_write(const char* function_name, int arg, int element, long long offset,
                                 const void* bytes, std::size_t length, unsigned on_call) {
    const std::lock_guard<std::mutex> guard(state().lock);
    probe::Function* function = probe::find_function(function_name);
    if (!function) return -1;
    if (arg < 0 || element < -1 || offset < 0 || (length && !bytes)) return -2;
    std::string data(static_cast<const char*>(bytes), length);
    function->writes.push_back({arg, element, offset, std::move(data), on_call});
    return 0;
}

// The function table, for the controller to validate names and arguments.
PROBE_API std::size_t probe_function_count(void) { return probe::kFunctionCount; }
PROBE_API const char* probe_function_name(std::size_t i) {
    return i < probe::kFunctionCount ? probe::kFunctions[i].name : nullptr;
}
PROBE_API const char* probe_function_params(std::size_t i) {
    return i < probe::kFunctionCount ? probe::kFunctions[i].params : nullptr;
}
PROBE_API int probe_function_extended(std::size_t i) {
    return i < probe::kFunctionCount ? probe::kFunctions[i].extended : -1;
}

// Allocation sizes: 0 none, 1 tracker, 2 sanitizer.
PROBE_API int probe_size_source(void) { return static_cast<int>(probe::size_source()); }
PROBE_API int probe_set_tracking(int enabled) { return probe::set_tracking(enabled); }
PROBE_API long long probe_allocation_size(const void* ptr) { return probe::allocation_size(ptr); }
