// A stand-in libcrqx.so for the call-overhead benchmark. Every function of
// crqx.h exists (stored status HSUCC=0, returned 0); the few that the
// benchmark measures do the work a real library would do with its arrays:
// reads fill the value array over the range, writes read it.
//
// The range array is [frequency, first index, last index].
#include <cstddef>

#include "crqx.h"

// The measured functions get real bodies below; their rows of the X-macro
// list are defined under other names so that the list can be used whole.
#define qzvver bench_stub_qzvver
#define qzvrrng_f bench_stub_qzvrrng_f
#define qzvwrng_f bench_stub_qzvwrng_f
#define zavo_get_range_numobs bench_stub_zavo_get_range_numobs
#define zavo_get_precisions bench_stub_zavo_get_precisions
#define zavo_write_precisions bench_stub_zavo_write_precisions

#define CRQX_CLASSIC(name, params, args) \
    extern "C" CRQX_API void name params { *status = 0; }
#define CRQX_EXTENDED(name, params, args) \
    extern "C" CRQX_API int name params { return 0; }
#include "crqx_functions.def"

#undef qzvver
#undef qzvrrng_f
#undef qzvwrng_f
#undef zavo_get_range_numobs
#undef zavo_get_precisions
#undef zavo_write_precisions

#define CRQX_DATA_INT(name) int name = -2147483647 + __LINE__;
#define CRQX_DATA_FLOAT(name) float name = -1.0e30f - __LINE__;
#define CRQX_DATA_DOUBLE(name) double name = -1.0e300 - __LINE__;
#define CRQX_DATA_STRING(name) char name[] = #name;
#include "crqx_data.def"

namespace {

// Observations in a range; 0 for a null or reversed range.
long numobs_of(const int* range) {
    if (range == nullptr) return 0;
    long n = static_cast<long>(range[CRQX_RANGE_LAST]) - range[CRQX_RANGE_FIRST] + 1;
    return n < 0 ? 0 : n;
}

void fill(double* values, long n) {
    for (long i = 0; i < n; ++i) values[i] = static_cast<double>(i) * 0.5;
}

// Reads every value (the result is kept so the loop is not optimised away).
volatile double sink;
void consume(const double* values, long n) {
    double s = 0.0;
    for (long i = 0; i < n; ++i) s += values[i];
    sink = s;
}

}  // namespace

extern "C" {

CRQX_API void qzvver(int* status, float* ver) {
    *ver = 12.5f;
    *status = 0;
}

CRQX_API int zavo_get_range_numobs(int* range, int* numobs) {
    if (range == nullptr) return 11;  // some failure status
    *numobs = static_cast<int>(numobs_of(range));
    return 0;
}

// The benchmark reads and writes with the double members only.
CRQX_API void qzvrrng_f(int* status, int, char*, int* range, void* valary, int, void*) {
    fill(static_cast<double*>(valary), numobs_of(range));
    *status = 0;
}

CRQX_API void qzvwrng_f(int* status, int, char*, int* range, void* valary, int, void*) {
    consume(static_cast<const double*>(valary), numobs_of(range));
    *status = 0;
}

CRQX_API int zavo_get_precisions(int, char*, int* range, double* valary) {
    fill(valary, numobs_of(range));
    return 0;
}

CRQX_API int zavo_write_precisions(int, char*, int* range, double* valary) {
    consume(valary, numobs_of(range));
    return 0;
}

}  // extern "C"
