// The one shape of every wrapped function: bind, convert in parameter order,
// call the library once, write back, return None (classic) or the status
// (extended). Each function is one declaration of its kinds in parameter
// order:
//
//   classic<qzvopdb>(inout<int>, text, value<int>)
//
// (the status cell comes first by itself) instantiates
// Entry<qzvopdb, NoPolicy, StatusCell, InOutCell<int>, TextCell, Value<int>>.
// The Python name and the parameter names come from the library's listing
// (module/listing.h); a row with more or fewer kinds than its function has
// parameters does not compile.
#pragma once
#include <Python.h>

#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "convert/kinds.h"
#include "convert/memory.h"
#include "module/binding.h"
#include "module/listing.h"
#include "module/registry.h"
#include "module/traceback.h"
#include "module/write_order.h"

namespace pyrqx {

// The per-call states of a row's kinds in parameter order, with the
// parameter names of its library function, so that policies reach a state
// by name: state<param::valary>(states).
template <typename Names, typename... S>
struct States : std::tuple<S...> {
    using ParamNames = Names;
};

template <typename Name, typename AnyStates>
constexpr size_t position_of = Position<Name, typename AnyStates::ParamNames>::value;

template <typename Name, typename AnyStates>
auto& state(AnyStates& states) {
    return std::get<position_of<Name, std::remove_const_t<AnyStates>>>(states);
}

// `allocated`, or false with a pending MemoryError named after parameter Name.
template <typename Name, typename AnyStates>
bool room_made(bool allocated, const Signature& sig) {
    return allocated || name_memory_error(sig.params[position_of<Name, AnyStates>]);
}

// Hooks for the few functions whose calls need more than their kinds:
// checks across parameters before the call, and write-backs that depend on
// the outcome. The default does neither.
//   prepare(states, bound, call, signature)  after every conversion, before
//       the library call: false with an exception ends the call there
//   writes_back<I>(states, result, call)  1: store parameter I, 0: leave it,
//       -1: an exception ends the write-back there
//   Moves  a tuple of WriteBefore<A, B>: A is written back just before B
// `call` is the policy's own per-call state (Policy::Call). Policies derive
// from NoPolicy, replace what they need and name the parameters they work on
// (src/policies).
struct NoPolicy {
    struct Call {};
    using Moves = std::tuple<>;
    template <typename AnyStates, typename AnyCall>
    static bool prepare(AnyStates&, PyObject* const*, AnyCall&, const Signature&) {
        return true;
    }
    template <size_t I, typename AnyStates, typename AnyCall>
    static int writes_back(const AnyStates&, int, AnyCall&) {
        return 1;
    }
};

// A parameter's kind in a declaration row (the vocabulary: bindings/declare.h).
template <typename Kind>
struct Param {};

template <auto Fn, typename Policy, typename... Kinds>
struct Entry {
    using Names = typename Listing<Fn>::Names;
    static constexpr size_t N = sizeof...(Kinds);
    static_assert(N == Names::size,
                  "a row declares one kind per parameter of its library function");
    using CallStates = States<Names, typename Kinds::State...>;
    static Signature signature;

    static PyObject* call(PyObject*, PyObject* args, PyObject* kwargs) {
        PyObject* bound[N];
        if (kwargs == nullptr && PyTuple_GET_SIZE(args) == static_cast<Py_ssize_t>(N)) {
            for (size_t i = 0; i < N; ++i)
                bound[i] = PyTuple_GET_ITEM(args, static_cast<Py_ssize_t>(i));
        } else if (!bind_arguments(signature, args, kwargs, bound)) {
            return fail(kLineBinding);
        }
        return run(bound, std::index_sequence_for<Kinds...>{});
    }

    static PyObject* call_single(PyObject*, PyObject* arg) {
        static_assert(N == 1, "the single-object form takes one parameter");
        PyObject* bound[1] = {arg};
        return run(bound, std::index_sequence_for<Kinds...>{});
    }

private:
    static PyObject* fail(int line) {
        add_traceback(signature.id, signature.name, line);
        return nullptr;
    }

    template <size_t... I>
    static PyObject* run(PyObject* const* bound, std::index_sequence<I...>) {
        CallStates states;
        int failed = -1;
        // Convert strictly in parameter order, stopping at the first failure.
        (void)((Kinds::load(std::get<I>(states), bound[I]) || (failed = int(I), false)) && ...);
        if (failed >= 0) {
            name_memory_error(signature.params[failed]);
            return fail(kLineLoad + failed);
        }
        typename Policy::Call call;
        if (!Policy::prepare(states, bound, call, signature)) return fail(kLinePrepare);
        return finish(states, bound, call, std::index_sequence<I...>{});
    }

    template <size_t... I>
    static PyObject* finish(CallStates& states, PyObject* const* bound, typename Policy::Call& call,
                            std::index_sequence<I...>) {
        using Ret = decltype(Fn(Kinds::arg(std::get<I>(states))...));
        using Order = typename WriteBackOrder<Names, typename Policy::Moves>::type;
        if constexpr (std::is_void_v<Ret>) {
            Fn(Kinds::arg(std::get<I>(states))...);
            if (!store_all(states, bound, 0, call, Order{})) return nullptr;
            Py_RETURN_NONE;
        } else {
            int result = Fn(Kinds::arg(std::get<I>(states))...);
            if (!store_all(states, bound, result, call, Order{})) return nullptr;
            PyObject* r = PyLong_FromLong(result);
            if (r == nullptr) return fail(kLineResult);
            return r;
        }
    }

    // Writes back in the policy's order, stopping at the first failure.
    template <size_t... J>
    static bool store_all(CallStates& states, PyObject* const* bound, int result,
                          typename Policy::Call& call, std::index_sequence<J...>) {
        int failed = -1;
        (void)((store<J>(states, bound, result, call) || (failed = int(J), false)) && ...);
        if (failed < 0) return true;
        fail(kLineStore + failed);
        return false;
    }

    template <size_t I>
    static bool store(CallStates& states, PyObject* const* bound, int result,
                      typename Policy::Call& call) {
        using Kind = std::tuple_element_t<I, std::tuple<Kinds...>>;
        int wanted = Policy::template writes_back<I>(states, result, call);
        if (wanted <= 0) return wanted == 0;
        return Kind::store(std::get<I>(states), bound[I]);
    }
};

template <auto Fn, typename Policy, typename... Kinds>
Signature Entry<Fn, Policy, Kinds...>::signature;

// Records a row in its entry's signature and returns its registry row: the
// Python name given, the parameter names from the listing.
template <typename E, auto Fn>
Function declare(const char* name, PyCFunction impl, int flags) {
    Signature& sig = E::signature;
    sig.name = name;
    sig.params.clear();
    for (const char* library_name : Listing<Fn>::names)
        sig.params.push_back(python_parameter_name(library_name));
    sig.doc = std::string("Valmora C-RQX ") + name;
    return Function{name, impl, flags, &sig};
}

template <typename E, auto Fn>
Function declare_keywords(const char* name) {
    return declare<E, Fn>(name,
                          reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&E::call)),
                          METH_VARARGS | METH_KEYWORDS);
}

// Classic function: returns nothing, its first parameter is the status cell.
template <auto Fn, typename Policy = NoPolicy, typename... Kinds>
Function classic(Param<Kinds>...) {
    static_assert(Listing<Fn>::classic, "an extended function is declared with extended<>");
    return declare_keywords<Entry<Fn, Policy, StatusCell, Kinds...>, Fn>(Listing<Fn>::name);
}

// Extended function: returns the status, which becomes the Python result.
template <auto Fn, typename Policy = NoPolicy, typename... Kinds>
Function extended(Param<Kinds>...) {
    static_assert(!Listing<Fn>::classic, "a classic function is declared with classic<>");
    return declare_keywords<Entry<Fn, Policy, Kinds...>, Fn>(Listing<Fn>::name);
}

// Member T of a typed classic family: qzvrrng_f for double is the Python
// function qzvrrng_double.
template <auto Fn, typename T, typename Policy = NoPolicy, typename... Kinds>
Function member(Param<Kinds>...) {
    static_assert(Listing<Fn>::classic, "the typed families are classic functions");
    return declare_keywords<Entry<Fn, Policy, StatusCell, Kinds...>, Fn>(
        FamilyMemberName<Fn, T>::text.data());
}

// Single-object form: the one argument is bound to the one parameter.
template <auto Fn, typename Kind>
Function single(Param<Kind>) {
    using E = Entry<Fn, NoPolicy, Kind>;
    return declare<E, Fn>(Listing<Fn>::name, &E::call_single, METH_O);
}

}  // namespace pyrqx
