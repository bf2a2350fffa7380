// alloc_size.cpp: finds the size sources at run time, so one build of the
// double works with the tracker preloaded, under AddressSanitizer, or bare.
#include "alloc_size.h"

#include <dlfcn.h>

#include <cstddef>

// Weak, so the double links without the sanitizer runtime; they are non-null
// when it is linked in.
extern "C" {
__attribute__((weak)) int __sanitizer_get_ownership(const volatile void* p);
__attribute__((weak)) std::size_t __sanitizer_get_allocated_size(const volatile void* p);
}

namespace probe {
namespace {

using Ownership = int (*)(const volatile void*);
using AllocatedSize = std::size_t (*)(const volatile void*);
using TrackerSize = long long (*)(const void*);
using TrackerEnable = int (*)(int);

struct Sources {
    Ownership owns = nullptr;
    AllocatedSize allocated_size = nullptr;
    TrackerSize tracker_size = nullptr;
    TrackerEnable tracker_enable = nullptr;
};

template <class F>
F lookup(F weak_symbol, const char* name) {
    if (weak_symbol) return weak_symbol;
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

const Sources& sources() {
    static const Sources found = [] {
        Sources s;
        s.owns = lookup<Ownership>(__sanitizer_get_ownership, "__sanitizer_get_ownership");
        s.allocated_size =
            lookup<AllocatedSize>(__sanitizer_get_allocated_size, "__sanitizer_get_allocated_size");
        s.tracker_size = lookup<TrackerSize>(nullptr, "alloc_tracker_size");
        s.tracker_enable = lookup<TrackerEnable>(nullptr, "alloc_tracker_enable");
        return s;
    }();
    return found;
}

}  // namespace

SizeSource size_source() {
    const Sources& s = sources();
    if (s.owns && s.allocated_size) return SizeSource::Sanitizer;
    if (s.tracker_size && s.tracker_enable) return SizeSource::Tracker;
    return SizeSource::None;
}

long long allocation_size(const void* ptr) {
    if (!ptr) return -1;
    const Sources& s = sources();
    switch (size_source()) {
        case SizeSource::Sanitizer:
            // Only a live block's start is owned; a stack cell or interior pointer is not.
            if (!s.owns(ptr)) return -1;
            return static_cast<long long>(s.allocated_size(ptr));
        case SizeSource::Tracker: return s.tracker_size(ptr);
        case SizeSource::None: break;
    }
    return -1;
}

int set_tracking(int enabled) {
    const Sources& s = sources();
    return s.tracker_enable ? s.tracker_enable(enabled) : -1;
}

}  // namespace probe
