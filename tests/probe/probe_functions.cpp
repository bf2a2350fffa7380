// probe_functions.cpp: every function of crqx.h, defined from
// crqx_functions.def. crqx.h comes first, so a row whose types differ from
// the declaration fails to compile.
#include "crqx.h"
#include "probe.h"

#define PROBE_UNPAREN(...) __VA_ARGS__

#define PROBE_DEFINE(result, name, params, args)                                          \
    extern "C" CRQX_API result name params {                                              \
        static probe::Function& function = probe::function_named(#name);                  \
        return static_cast<result>(probe::record_and_play(function, PROBE_UNPAREN args)); \
    }

#define CRQX_CLASSIC(name, params, args) PROBE_DEFINE(void, name, params, args)
#define CRQX_EXTENDED(name, params, args) PROBE_DEFINE(int, name, params, args)
#include "crqx_functions.def"

#define CRQX_CLASSIC(name, params, args) PROBE_DEFINE(void, name, params, args)
#define CRQX_EXTENDED(name, params, args) PROBE_DEFINE(int, name, params, args)
#include "probe_selftest.def"

namespace probe {

const FunctionInfo kFunctions[] = {
#define CRQX_CLASSIC(name, params, args) {#name, false, #params},
#define CRQX_EXTENDED(name, params, args) {#name, true, #params},
#include "crqx_functions.def"
#define CRQX_CLASSIC(name, params, args) {#name, false, #params},
#define CRQX_EXTENDED(name, params, args) {#name, true, #params},
#include "probe_selftest.def"
};
const std::size_t kFunctionCount = sizeof kFunctions / sizeof kFunctions[0];

}  // namespace probe
