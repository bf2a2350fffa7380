#include "module/binding.h"

namespace pyrqx {
namespace {

bool count_error(const Signature& sig, Py_ssize_t given) {
    Py_ssize_t n = static_cast<Py_ssize_t>(sig.params.size());
    PyErr_Format(PyExc_TypeError, "%.200s() takes %.8s %zd positional argument%.1s (%zd given)",
                 sig.name, "exactly", n, n == 1 ? "" : "s", given);
    return false;
}

// -1: no match (or an error, then set); otherwise the matching index.
Py_ssize_t find_by_value(const Signature& sig, PyObject* key, Py_ssize_t from, Py_ssize_t to) {
    for (Py_ssize_t j = from; j < to; ++j) {
        PyObject* name = sig.interned[j];
        if (PyUnicode_GET_LENGTH(name) != PyUnicode_GET_LENGTH(key)) continue;
        int cmp = PyUnicode_Compare(key, name);
        if (cmp == 0) return j;
        if (cmp == -1 && PyErr_Occurred()) return -2;
    }
    return -1;
}

// Keywords that remain after the required ones were looked up: either
// repeats of those, or errors.
bool walk_keywords(const Signature& sig, PyObject* kwargs, Py_ssize_t p, PyObject** bound) {
    Py_ssize_t n = static_cast<Py_ssize_t>(sig.params.size());
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    while (PyDict_Next(kwargs, &pos, &key, &value)) {
        Py_ssize_t j = p;
        while (j < n && sig.interned[j] != key) ++j;
        if (j < n) {
            bound[j] = value;
            continue;
        }
        if (!PyUnicode_Check(key)) {
            PyErr_Format(PyExc_TypeError, "%.200s() keywords must be strings", sig.name);
            return false;
        }
        j = find_by_value(sig, key, p, n);
        if (j == -2) return false;
        if (j >= 0) {
            bound[j] = value;
            continue;
        }
        j = find_by_value(sig, key, 0, p);
        if (j == -2) return false;
        if (j >= 0) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for keyword argument '%U'",
                         sig.name, key);
        } else {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", sig.name,
                         key);
        }
        return false;
    }
    return true;
}

}  // namespace

bool bind_arguments(const Signature& sig, PyObject* args, PyObject* kwargs, PyObject** bound) {
    Py_ssize_t n = static_cast<Py_ssize_t>(sig.params.size());
    Py_ssize_t p = PyTuple_GET_SIZE(args);
    if (kwargs == nullptr) {
        if (p != n) return count_error(sig, p);
        for (Py_ssize_t i = 0; i < n; ++i) bound[i] = PyTuple_GET_ITEM(args, i);
        return true;
    }
    if (p > n) return count_error(sig, p);
    for (Py_ssize_t i = 0; i < p; ++i) bound[i] = PyTuple_GET_ITEM(args, i);
    Py_ssize_t remaining = PyDict_GET_SIZE(kwargs);
    for (Py_ssize_t i = p; i < n; ++i) {
        PyObject* value = PyDict_GetItemWithError(kwargs, sig.interned[i]);
        if (value == nullptr) {
            if (PyErr_Occurred()) return false;
            return count_error(sig, i);
        }
        bound[i] = value;
        --remaining;
    }
    if (remaining > 0) return walk_keywords(sig, kwargs, p, bound);
    return true;
}

}  // namespace pyrqx
