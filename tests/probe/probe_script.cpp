// probe_script.cpp: plays a function's scripted writes into its arguments.
//
// The double writes exactly the scripted bytes and never adds a terminator,
// so a test can prove a buffer's capacity. Where the block's size is known
// and a write would pass its end, the write is skipped and reported as a
// problem instead: the test sees the fault without the heap being corrupted.
// Where the size is unknown, the bytes are written as scripted (an
// instrumented build reports an overflow then).
#include <cstring>
#include <string>

#include "alloc_size.h"
#include "probe_state.h"

namespace probe {
namespace {

struct Target {
    char* base = nullptr;
    long long capacity = -1;  // -1: unknown
};

std::string where(const Function& function, const Write& write) {
    std::string text = std::string(function.info->name) + " call " +
                       std::to_string(function.calls) + ": argument " + std::to_string(write.arg);
    if (write.element >= 0) text += " element " + std::to_string(write.element);
    return text;
}

bool fits(long long capacity, long long offset, std::size_t length) {
    return capacity < 0 || offset + static_cast<long long>(length) <= capacity;
}

// The block a write goes to, or an empty Target with the reason in problem.
Target find_target(const ArgView* args, std::size_t count, const Write& write,
                   std::string& problem) {
    if (write.arg < 0 || static_cast<std::size_t>(write.arg) >= count) {
        problem = "no such argument";
        return {};
    }
    const ArgView& arg = args[write.arg];
    if (!is_pointer(arg.type)) {
        problem = "not a pointer";
        return {};
    }
    char* base = static_cast<char*>(arg.value.p);
    if (!base) {
        problem = "null pointer";
        return {};
    }
    if (write.element >= 0) {
        if (arg.type != ArgType::CharPtrPtr) {
            problem = "elements need a char ** argument";
            return {};
        }
        const auto element = static_cast<std::size_t>(write.element);
        if (!fits(allocation_size(base), 0, (element + 1) * sizeof(char*))) {
            problem = "element beyond the end of the array";
            return {};
        }
        base = reinterpret_cast<char**>(base)[element];
        if (!base) {
            problem = "null element";
            return {};
        }
    }
    return {base, allocation_size(base)};
}

}  // namespace

void apply_writes(const Function& function, const ArgView* args, std::size_t count,
                  std::vector<std::string>& problems) {
    for (const Write& write : function.writes) {
        if (write.on_call != 0 && write.on_call != function.calls) continue;
        std::string problem;
        const Target target = find_target(args, count, write, problem);
        if (target.base && !fits(target.capacity, write.offset, write.bytes.size())) {
            problem = "writing " + std::to_string(write.bytes.size()) + " bytes at offset " +
                      std::to_string(write.offset) + " overflows its " +
                      std::to_string(target.capacity) + "-byte allocation";
        } else if (target.base) {
            std::memcpy(target.base + write.offset, write.bytes.data(), write.bytes.size());
        }
        if (!problem.empty()) problems.push_back(where(function, write) + ": " + problem);
    }
}

}  // namespace probe
