// probe.h: the recording double's view of one call.
//
// Every crqx function of the double forwards its arguments to
// record_and_play(), which turns each argument into an ArgView by its C type
// and hands the lot to handle_call(): record, apply the script, return.
#ifndef PROBE_H
#define PROBE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#define PROBE_API extern "C" __attribute__((visibility("default")))

namespace probe {

// Argument type codes as they appear in the call log; controller.py mirrors
// them (ARG_TYPES), so only ever append.
enum class ArgType : std::uint8_t {
    Int,
    Float,
    Double,
    Char,
    IntPtr,
    FloatPtr,
    DoublePtr,
    CharPtr,
    CharPtrPtr,
    VoidPtr,
};

inline bool is_pointer(ArgType type) { return type >= ArgType::IntPtr; }

struct ArgView {
    ArgType type;
    union {
        int i;
        float f;
        double d;
        char c;
        void* p;
    } value;
};

// The C types the interface uses. Any other type has no specialisation, so a
// signature using it fails to compile here instead of being recorded wrongly.
template <class T>
struct CTypeOf;
template <>
struct CTypeOf<int> {
    static constexpr ArgType type = ArgType::Int;
};
template <>
struct CTypeOf<float> {
    static constexpr ArgType type = ArgType::Float;
};
template <>
struct CTypeOf<double> {
    static constexpr ArgType type = ArgType::Double;
};
template <>
struct CTypeOf<char> {
    static constexpr ArgType type = ArgType::Char;
};
template <>
struct CTypeOf<int*> {
    static constexpr ArgType type = ArgType::IntPtr;
};
template <>
struct CTypeOf<float*> {
    static constexpr ArgType type = ArgType::FloatPtr;
};
template <>
struct CTypeOf<double*> {
    static constexpr ArgType type = ArgType::DoublePtr;
};
template <>
struct CTypeOf<char*> {
    static constexpr ArgType type = ArgType::CharPtr;
};
template <>
struct CTypeOf<char**> {
    static constexpr ArgType type = ArgType::CharPtrPtr;
};
template <>
struct CTypeOf<void*> {
    static constexpr ArgType type = ArgType::VoidPtr;
};

template <class T>
ArgView view(T arg) {
    ArgView v{};
    v.type = CTypeOf<T>::type;
    if constexpr (std::is_pointer_v<T>) {
        v.value.p = static_cast<void*>(arg);
    } else if constexpr (std::is_same_v<T, float>) {
        v.value.f = arg;
    } else if constexpr (std::is_same_v<T, double>) {
        v.value.d = arg;
    } else if constexpr (std::is_same_v<T, char>) {
        v.value.c = arg;
    } else {
        v.value.i = arg;
    }
    return v;
}

struct Function;  // per-function call count and script (probe_state.cpp)

// The function's state; aborts on a name the double does not define.
Function& function_named(const char* name);

// Records the call, applies the function's script, returns its result
// (the scripted return value of an extended function, else 0).
int handle_call(Function& function, const ArgView* args, std::size_t count);

template <class... Args>
int record_and_play(Function& function, Args... args) {
    const std::array<ArgView, sizeof...(Args)> views{{view(args)...}};
    return handle_call(function, views.data(), views.size());
}

// One row of the function table built from crqx_functions.def.
struct FunctionInfo {
    const char* name;
    bool extended;
    const char* params;  // the declared parameter list, "(int *status, ...)"
};
extern const FunctionInfo kFunctions[];
extern const std::size_t kFunctionCount;

}  // namespace probe

#endif  // PROBE_H
