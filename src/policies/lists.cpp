#include "policies/lists.h"

namespace pyrqx {

std::string observations(long numobs) {
    return "the range has " + std::to_string(numobs) + " observation" + (numobs == 1 ? "" : "s");
}

std::string count_is(const Signature& sig, size_t count, long value) {
    return std::string(sig.params[count]) + " is " + std::to_string(value);
}

bool list_too_short(const Signature& sig, size_t list, size_t has, const std::string& why) {
    PyErr_Format(PyExc_ValueError, "%s(): %s holds %zu element%s but %s", sig.name,
                 sig.params[list], has, has == 1 ? "" : "s", why.c_str());
    return false;
}

bool list_missing(const Signature& sig, size_t list, const std::string& why) {
    PyErr_Format(PyExc_ValueError, "%s(): %s is None but the library reads it and %s", sig.name,
                 sig.params[list], why.c_str());
    return false;
}

}  // namespace pyrqx
