/*
 * alloc_tracker.c: an LD_PRELOAD shim that remembers the size requested for
 * each heap block allocated while tracking is on, so the probe can tell how
 * big a buffer the module handed to the library.
 *
 * malloc, calloc, realloc and free forward to glibc's own entry points
 * (__libc_*), so there is no dlsym bootstrap and blocks stay glibc's. The side
 * table is a fixed open-addressing hash (linear probing, backward-shift
 * deletion) under a spin lock; it never allocates. free always forgets its
 * block, tracking on or off, so a reused address never shows a stale size.
 * When the table is full, new blocks go unrecorded (their size is unknown).
 */
#include <stdatomic.h>
#include <stddef.h>
#include <stdint.h>

#define EXPORT __attribute__((visibility("default")))

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* ptr, size_t size);
extern void __libc_free(void* ptr);

enum {
    SLOT_BITS = 18,
    SLOT_COUNT = 1 << SLOT_BITS,
    MAX_ENTRIES = SLOT_COUNT / 4 * 3, /* keeps probe sequences short */
};

struct slot {
    const void* ptr; /* NULL: empty */
    size_t size;
};

static struct slot slots[SLOT_COUNT];
static size_t entry_count;         /* under the lock */
static atomic_size_t live_entries; /* read without the lock: skips lookups when empty */
static atomic_int tracking;
static atomic_flag table_lock = ATOMIC_FLAG_INIT;

static void lock_table(void) {
    while (atomic_flag_test_and_set_explicit(&table_lock, memory_order_acquire)) {
    }
}

static void unlock_table(void) { atomic_flag_clear_explicit(&table_lock, memory_order_release); }

static size_t home_slot(const void* ptr) {
    return (size_t)(((uint64_t)(uintptr_t)ptr * UINT64_C(0x9E3779B97F4A7C15)) >> (64 - SLOT_BITS));
}

/* The slot holding ptr, or the empty slot where it would go. */
static size_t find_slot(const void* ptr) {
    size_t i = home_slot(ptr);
    while (slots[i].ptr && slots[i].ptr != ptr) i = (i + 1) & (SLOT_COUNT - 1);
    return i;
}

/* Empties slot i and moves later entries of its run back, so every entry
   stays reachable from its home slot without tombstones. */
static void erase_slot(size_t i) {
    size_t j = i;
    for (;;) {
        slots[i].ptr = NULL;
        for (;;) {
            j = (j + 1) & (SLOT_COUNT - 1);
            if (!slots[j].ptr) return;
            const size_t k = home_slot(slots[j].ptr);
            const int stays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
            if (!stays) break;
        }
        slots[i] = slots[j];
        i = j;
    }
}

static void remember(const void* ptr, size_t size) {
    lock_table();
    const size_t i = find_slot(ptr);
    if (slots[i].ptr) {
        slots[i].size = size;
    } else if (entry_count < MAX_ENTRIES) {
        slots[i].ptr = ptr;
        slots[i].size = size;
        atomic_store_explicit(&live_entries, ++entry_count, memory_order_release);
    }
    unlock_table();
}

/* Removes ptr's entry; returns its size, or -1 when there was none. */
static long long forget(const void* ptr) {
    if (!ptr || atomic_load_explicit(&live_entries, memory_order_acquire) == 0) return -1;
    long long size = -1;
    lock_table();
    const size_t i = find_slot(ptr);
    if (slots[i].ptr) {
        size = (long long)slots[i].size;
        erase_slot(i);
        atomic_store_explicit(&live_entries, --entry_count, memory_order_release);
    }
    unlock_table();
    return size;
}

static void note_allocation(const void* ptr, size_t size) {
    if (!ptr) return;
    if (atomic_load_explicit(&tracking, memory_order_relaxed)) {
        remember(ptr, size);
    } else {
        forget(ptr); /* in case a block was released behind free's back */
    }
}

EXPORT void* malloc(size_t size) {
    void* ptr = __libc_malloc(size);
    note_allocation(ptr, size);
    return ptr;
}

EXPORT void* calloc(size_t count, size_t size) {
    void* ptr = __libc_calloc(count, size);
    note_allocation(ptr, count * size); /* no overflow: calloc fails on one */
    return ptr;
}

EXPORT void* realloc(void* ptr, size_t size) {
    /* Forget first: once glibc frees the old block another thread may get it. */
    const long long old_size = forget(ptr);
    void* moved = __libc_realloc(ptr, size);
    if (moved) {
        note_allocation(moved, size);
    } else if (ptr && size != 0 && old_size >= 0) {
        remember(ptr, (size_t)old_size); /* failed: the old block lives on */
    }
    return moved;
}

EXPORT void free(void* ptr) {
    forget(ptr);
    __libc_free(ptr);
}

/* Turns recording on or off; returns the previous state. */
EXPORT int alloc_tracker_enable(int enabled) {
    return atomic_exchange_explicit(&tracking, enabled != 0, memory_order_relaxed);
}

/* The size requested for the block starting at ptr, or -1 when unknown. */
EXPORT long long alloc_tracker_size(const void* ptr) {
    if (!ptr || atomic_load_explicit(&live_entries, memory_order_acquire) == 0) return -1;
    lock_table();
    const struct slot found = slots[find_slot(ptr)];
    unlock_table();
    return found.ptr ? (long long)found.size : -1;
}
