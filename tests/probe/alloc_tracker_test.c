/*
 * alloc_tracker_test.c: the tracker under threads that allocate at once.
 * Python tests cannot do this (the interpreter serialises them). A race in
 * the side table loses or misplaces entries; this catches it often, not
 * always, so a failure here is never noise.
 * Run with the tracker linked in or preloaded; exits 1 on any wrong size.
 */
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>

int alloc_tracker_enable(int enabled);
long long alloc_tracker_size(const void* ptr);

enum { THREADS = 3, ROUNDS = 50000, BATCH = 64 };

static atomic_int wrong_sizes;

static void* churn(void* arg) {
    const size_t base = (size_t)arg;
    void* blocks[BATCH];
    for (int round = 0; round < ROUNDS; ++round) {
        for (size_t k = 0; k < BATCH; ++k) blocks[k] = malloc(base + k);
        for (size_t k = 0; k < BATCH; ++k) {
            if (alloc_tracker_size(blocks[k]) != (long long)(base + k))
                atomic_fetch_add(&wrong_sizes, 1);
            free(blocks[k]);
        }
    }
    return NULL;
}

int main(void) {
    alloc_tracker_enable(1);
    pthread_t threads[THREADS];
    for (size_t i = 0; i < THREADS; ++i)
        pthread_create(&threads[i], NULL, churn, (void*)(16 + 100 * i));
    for (size_t i = 0; i < THREADS; ++i) pthread_join(threads[i], NULL);
    alloc_tracker_enable(0);
    printf("wrong sizes: %d\n", atomic_load(&wrong_sizes));
    return atomic_load(&wrong_sizes) != 0;
}
