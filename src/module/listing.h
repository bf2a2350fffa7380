// The library's functions as the listing crqx_functions.def gives them, seen
// from the bindings. Listing<fn> holds, for each row:
//   name      the function's name ("qzvopdb")
//   classic   whether it returns void and takes the status cell first
//   names     its parameter names, in order
//   Names     the same names as types of namespace param (param::dbkey), so
//             that a policy can name a parameter and the compiler checks
//             that the row's function has it
// A binding row declares only kinds; everything named comes from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "crqx.h"

namespace pyrqx {

template <typename... Names>
struct NameList {
    static constexpr size_t size = sizeof...(Names);
};

// Position of parameter Name in a NameList; a name that the list does not
// hold stops the build here.
template <typename Name, typename List>
struct Position;

template <typename Name, typename... Names>
struct Position<Name, NameList<Names...>> {
    static constexpr size_t value = [] {
        constexpr bool same[] = {std::is_same_v<Name, Names>..., false};
        size_t i = 0;
        while (i < sizeof...(Names) && !same[i]) ++i;
        return i;
    }();
    static_assert(value < sizeof...(Names),
                  "a policy names a parameter that the row's library function does not have");
};

template <auto Fn>
struct Listing;

// PYRQX_FOR_EACH(F, SEP, a, b, c) gives F(a) SEP() F(b) SEP() F(c), for up
// to 20 parameters (the longest function has 17).
#define PYRQX_EXPAND(x) x
#define PYRQX_EACH_1(F, S, a) F(a)
#define PYRQX_EACH_2(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_1(F, S, __VA_ARGS__))
#define PYRQX_EACH_3(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_2(F, S, __VA_ARGS__))
#define PYRQX_EACH_4(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_3(F, S, __VA_ARGS__))
#define PYRQX_EACH_5(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_4(F, S, __VA_ARGS__))
#define PYRQX_EACH_6(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_5(F, S, __VA_ARGS__))
#define PYRQX_EACH_7(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_6(F, S, __VA_ARGS__))
#define PYRQX_EACH_8(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_7(F, S, __VA_ARGS__))
#define PYRQX_EACH_9(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_8(F, S, __VA_ARGS__))
#define PYRQX_EACH_10(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_9(F, S, __VA_ARGS__))
#define PYRQX_EACH_11(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_10(F, S, __VA_ARGS__))
#define PYRQX_EACH_12(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_11(F, S, __VA_ARGS__))
#define PYRQX_EACH_13(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_12(F, S, __VA_ARGS__))
#define PYRQX_EACH_14(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_13(F, S, __VA_ARGS__))
#define PYRQX_EACH_15(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_14(F, S, __VA_ARGS__))
#define PYRQX_EACH_16(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_15(F, S, __VA_ARGS__))
#define PYRQX_EACH_17(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_16(F, S, __VA_ARGS__))
#define PYRQX_EACH_18(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_17(F, S, __VA_ARGS__))
#define PYRQX_EACH_19(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_18(F, S, __VA_ARGS__))
#define PYRQX_EACH_20(F, S, a, ...) F(a) S() PYRQX_EXPAND(PYRQX_EACH_19(F, S, __VA_ARGS__))
#define PYRQX_COUNT(...)                                                                         \
    PYRQX_EXPAND(PYRQX_COUNT_PICK(__VA_ARGS__, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, \
                                  7, 6, 5, 4, 3, 2, 1, 0))
#define PYRQX_COUNT_PICK(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, _13, _14, _15, _16, \
                         _17, _18, _19, _20, n, ...)                                            \
    n
#define PYRQX_CAT(a, b) PYRQX_CAT_(a, b)
#define PYRQX_CAT_(a, b) a##b
#define PYRQX_FOR_EACH(F, S, ...) \
    PYRQX_EXPAND(PYRQX_CAT(PYRQX_EACH_, PYRQX_COUNT(__VA_ARGS__))(F, S, __VA_ARGS__))

#define PYRQX_UNPAREN(...) __VA_ARGS__
#define PYRQX_NOTHING()
#define PYRQX_COMMA() ,
#define PYRQX_DECLARE_NAME(n) struct n;
#define PYRQX_NAME_TYPE(n) param::n
#define PYRQX_NAME_TEXT(n) #n

// A parameter name may be declared by several rows: a struct may be declared
// any number of times.
#define PYRQX_LISTING(fn, is_classic, args)                                                       \
    namespace param {                                                                             \
    PYRQX_FOR_EACH(PYRQX_DECLARE_NAME, PYRQX_NOTHING, PYRQX_UNPAREN args)                         \
    }                                                                                             \
    template <>                                                                                   \
    struct Listing<fn> {                                                                          \
        static constexpr char name[] = #fn;                                                       \
        static constexpr bool classic = is_classic;                                               \
        static constexpr const char* names[] = {                                                  \
            PYRQX_FOR_EACH(PYRQX_NAME_TEXT, PYRQX_COMMA, PYRQX_UNPAREN args)};                    \
        using Names = NameList<PYRQX_FOR_EACH(PYRQX_NAME_TYPE, PYRQX_COMMA, PYRQX_UNPAREN args)>; \
        static_assert(Names::size == sizeof names / sizeof names[0],                              \
                      #fn ": more than 20 parameters");                                           \
    };
#define CRQX_CLASSIC(fn, params, args) PYRQX_LISTING(fn, true, args)
#define CRQX_EXTENDED(fn, params, args) PYRQX_LISTING(fn, false, args)
#include "crqx_functions.def"
#undef PYRQX_LISTING

// The name of the Python function that wraps `fn` and the member of a typed
// family (qzvrrng_f for T double: qzvrrng_double), known when compiling.
template <typename T>
struct TypeSuffix;
template <>
struct TypeSuffix<int> {
    static constexpr char text[] = "int";
};
template <>
struct TypeSuffix<float> {
    static constexpr char text[] = "float";
};
template <>
struct TypeSuffix<double> {
    static constexpr char text[] = "double";
};
template <>
struct TypeSuffix<char> {
    static constexpr char text[] = "char";
};

template <auto Fn, typename T>
struct FamilyMemberName {
    static constexpr auto& family = Listing<Fn>::name;    // "qzvrrng_f"
    static constexpr auto& suffix = TypeSuffix<T>::text;  // "double"
    static constexpr size_t stem = sizeof family - 2;     // "qzvrrng_"
    static_assert(stem >= 2 && family[stem - 1] == '_' && family[stem] == 'f',
                  "a typed family's library function ends in _f");
    static constexpr std::array<char, stem + sizeof suffix> text = [] {
        std::array<char, stem + sizeof suffix> out{};
        for (size_t i = 0; i < stem; ++i) out[i] = family[i];
        for (size_t i = 0; i < sizeof suffix; ++i) out[stem + i] = suffix[i];
        return out;
    }();
};

// The keyword a parameter is bound by: the library's name, except where it
// would shadow a Python built-in that callers use (range_).
inline const char* python_parameter_name(const char* library_name) {
    return std::strcmp(library_name, "range") == 0 ? "range_" : library_name;
}

}  // namespace pyrqx
