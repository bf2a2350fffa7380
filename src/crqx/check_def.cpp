// check_def.cpp: compile-time proof that crqx_functions.def and crqx_data.def
// agree with crqx.h. It has no run-time content; compiling it is the check,
// which every build makes (the target crqx_listing_check).
//
// For every function row: the declared function's type is exactly the type
// built from the row's return kind and parameter list, and the row's argument
// list forwards the parameters to the function (a misspelt name, a name that
// is not a parameter, or a wrong count fails to compile). For every data row:
// the declared object has exactly the row's type.

#include <type_traits>

#include "crqx.h"

#define CRQX_CLASSIC(name, params, args)                                      \
    static_assert(std::is_same<decltype(&name), void(*) params>::value,      \
                  #name ": crqx_functions.def row differs from crqx.h");      \
    inline void crqx_check_forward_##name params { name args; }
#define CRQX_EXTENDED(name, params, args)                                     \
    static_assert(std::is_same<decltype(&name), int(*) params>::value,       \
                  #name ": crqx_functions.def row differs from crqx.h");      \
    inline int crqx_check_forward_##name params { return name args; }
#include "crqx_functions.def"

#define CRQX_CHECK_DATA(name, type)                                           \
    static_assert(std::is_same<decltype(name), type>::value,                 \
                  #name ": crqx_data.def row differs from crqx.h");
#define CRQX_DATA_INT(name) CRQX_CHECK_DATA(name, int)
#define CRQX_DATA_FLOAT(name) CRQX_CHECK_DATA(name, float)
#define CRQX_DATA_DOUBLE(name) CRQX_CHECK_DATA(name, double)
#define CRQX_DATA_STRING(name) CRQX_CHECK_DATA(name, char[])
#include "crqx_data.def"
#undef CRQX_CHECK_DATA

// Row counts: 171 library functions (185 Python functions, of which the 20
// members of the six typed families share six library functions), 18 data
// objects.
#define CRQX_CLASSIC(name, params, args) +1
#define CRQX_EXTENDED(name, params, args) +1
static_assert(0
#include "crqx_functions.def"
              == 171, "crqx_functions.def must list 171 functions");
#define CRQX_DATA_INT(name) +1
#define CRQX_DATA_FLOAT(name) +1
#define CRQX_DATA_DOUBLE(name) +1
#define CRQX_DATA_STRING(name) +1
static_assert(0
#include "crqx_data.def"
              == 18, "crqx_data.def must list 18 data objects");
