// The one shape of every wrapped function: bind, convert in parameter order,
// call the library once, write back in parameter order, return None (classic)
// or the status (extended). Each function is one declaration:
//
//   classic<qzvopdb>("qzvopdb", inout<int>("dbkey"), text("dbname"), value<int>("mode"))
//
// (the status cell comes first by itself) instantiates
// Entry<qzvopdb, NoPolicy, StatusCell, InOutCell<int>, TextCell, Value<int>>.
#pragma once
#include <Python.h>

#include <tuple>
#include <type_traits>
#include <utility>

#include "convert/kinds.h"
#include "module/binding.h"
#include "module/registry.h"
#include "module/traceback.h"

namespace pyrqx {

// Hooks for the few functions whose calls need more than their kinds:
// checks across parameters before the call, and write-backs that depend on
// the outcome. The default does neither.
//   prepare(states, bound, call, signature)  after every conversion, before
//       the library call: false with an exception ends the call there
//   writes_back<I>(states, result, call)  1: store parameter I, 0: leave it,
//       -1: an exception ends the write-back there
//   Order<N>  the order of the write-backs (an index sequence)
// `call` is the policy's own per-call state (Policy::Call). Policies derive
// from NoPolicy and replace what they need.
struct NoPolicy {
    struct Call {};
    template <size_t N>
    using Order = std::make_index_sequence<N>;
    template <typename States, typename AnyCall>
    static bool prepare(States&, PyObject* const*, AnyCall&, const Signature&) { return true; }
    template <size_t I, typename States, typename AnyCall>
    static int writes_back(const States&, int, AnyCall&) { return 1; }
};

// A parameter declaration: its kind and Python name.
template <typename Kind>
struct Param {
    const char* name;
};

inline Param<StatusCell> status() { return {"status"}; }
template <typename T>
Param<Value<T>> value(const char* name) { return {name}; }
template <typename T>
Param<InOutCell<T>> inout(const char* name) { return {name}; }
inline Param<TextCell> text(const char* name) { return {name}; }
inline Param<BytesCell> bytes_cell(const char* name) { return {name}; }
inline Param<OneChar> one_char(const char* name) { return {name}; }

template <auto Fn, typename Policy, typename... Kinds>
struct Entry {
    static constexpr size_t N = sizeof...(Kinds);
    using States = std::tuple<typename Kinds::State...>;
    static Signature signature;

    static PyObject* call(PyObject*, PyObject* args, PyObject* kwargs) {
        PyObject* bound[N];
        if (kwargs == nullptr && PyTuple_GET_SIZE(args) == static_cast<Py_ssize_t>(N)) {
            for (size_t i = 0; i < N; ++i) bound[i] = PyTuple_GET_ITEM(args, static_cast<Py_ssize_t>(i));
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
        States states;
        int failed = -1;
        // Convert strictly in parameter order, stopping at the first failure.
        (void)((Kinds::load(std::get<I>(states), bound[I]) || (failed = int(I), false)) && ...);
        if (failed >= 0) return fail(kLineLoad + failed);
        typename Policy::Call call;
        if (!Policy::prepare(states, bound, call, signature)) return fail(kLinePrepare);
        return finish(states, bound, call, std::index_sequence<I...>{});
    }

    template <size_t... I>
    static PyObject* finish(States& states, PyObject* const* bound, typename Policy::Call& call,
                            std::index_sequence<I...>) {
        using Ret = decltype(Fn(Kinds::arg(std::get<I>(states))...));
        using Order = typename Policy::template Order<N>;
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
    static bool store_all(States& states, PyObject* const* bound, int result,
                          typename Policy::Call& call, std::index_sequence<J...>) {
        int failed = -1;
        (void)((store<J>(states, bound, result, call) || (failed = int(J), false)) && ...);
        if (failed < 0) return true;
        fail(kLineStore + failed);
        return false;
    }

    template <size_t I>
    static bool store(States& states, PyObject* const* bound, int result,
                      typename Policy::Call& call) {
        using Kind = std::tuple_element_t<I, std::tuple<Kinds...>>;
        int wanted = Policy::template writes_back<I>(states, result, call);
        if (wanted <= 0) return wanted == 0;
        return Kind::store(std::get<I>(states), bound[I]);
    }
};

template <auto Fn, typename Policy, typename... Kinds>
Signature Entry<Fn, Policy, Kinds...>::signature;

// Records a declaration in its entry's signature and returns its registry row.
template <typename E, typename... Kinds>
Function declare(const char* name, PyCFunction impl, int flags, const Param<Kinds>&... params) {
    Signature& sig = E::signature;
    sig.name = name;
    sig.params = {params.name...};
    sig.doc = std::string("Valmora C-RQX ") + name;
    return Function{name, impl, flags, &sig};
}

// Keywords form, any library function (classic or extended, by its return type).
template <auto Fn, typename Policy = NoPolicy, typename... Kinds>
Function keywords(const char* name, const Param<Kinds>&... params) {
    using E = Entry<Fn, Policy, Kinds...>;
    return declare<E>(name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&E::call)),
                      METH_VARARGS | METH_KEYWORDS, params...);
}

// Classic function: returns nothing, its first parameter is the status cell.
template <auto Fn, typename Policy = NoPolicy, typename... Kinds>
Function classic(const char* name, const Param<Kinds>&... params) {
    return keywords<Fn, Policy>(name, status(), params...);
}

// Extended function: returns the status, which becomes the Python result.
template <auto Fn, typename Policy = NoPolicy, typename... Kinds>
Function extended(const char* name, const Param<Kinds>&... params) {
    return keywords<Fn, Policy>(name, params...);
}

// Single-object form: the one argument is bound to the one parameter.
template <auto Fn, typename Kind>
Function single(const char* name, const Param<Kind>& param) {
    using E = Entry<Fn, NoPolicy, Kind>;
    return declare<E>(name, &E::call_single, METH_O, param);
}

}  // namespace pyrqx
