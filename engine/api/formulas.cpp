// Formula objects and expressions of the C interface: creating and
// changing a formula's text, reading it back, and evaluating an expression
// into an object.
#include <cctype>

#include "api/status_report.h"
#include "crqx.h"
#include "formulas/formulas.h"
#include "objects/objects.h"

using namespace crqx;
using api::run;
using api::set_status;

namespace {

Status define(int dbkey, const char* oname, const char* value, int object_class, bool create) {
    CRQX_RETURN_IF_ERROR(api::not_null(oname, "oname", value, "value"));
    store::Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    return formulas::define(*db, oname, object_class, value, create);
}

Status read_source(int dbkey, const char* objnam, char* source, int ilen, int* olen) {
    CRQX_RETURN_IF_ERROR(api::not_null(source, "source", olen, "olen"));
    store::Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::object_database(dbkey, objnam, &db));
    store::ObjectRecord r;
    CRQX_RETURN_IF_ERROR(objects::find_object(*db, objnam, &r));
    if (!formulas::is_formula_class(r.object_class))
        return Status::Error(HBCLAS, "object '" + r.name + "' is not a formula");
    std::string text;
    CRQX_RETURN_IF_ERROR(formulas::read_source(*db, r.name, &text));
    *olen = static_cast<int>(text.size());
    size_t capacity = 0;
    CRQX_RETURN_IF_ERROR(api::capacity_from_length(ilen, &capacity));
    return api::text_out(source, capacity, text, "the formula's text");
}

// Options of qzvrmev: blank- or comma-separated NAME=VALUE words, FROM and
// TO (date literals of the result's frequency); names ignore case.
Status parse_options(const std::string& text, formulas::Bounds* bounds) {
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ',') {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) &&
               text[end] != ',')
            ++end;
        std::string word = text.substr(i, end - i);
        i = end;
        size_t eq = word.find('=');
        std::string name = word.substr(0, eq);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name != "FROM" && name != "TO")
            return Status::Error(HBOPT, "unknown option '" + name + "' (FROM, TO)");
        if (eq == std::string::npos || eq + 1 == word.size())
            return Status::Error(HBOPTV, "option " + name + " needs a value: " + name + "=<date>");
        (name == "FROM" ? bounds->from : bounds->to) = word.substr(eq + 1);
    }
    return Status::OK();
}

Status evaluate(int dbkey, const char* expr, const char* optns, int wdbkey, const char* objnam) {
    CRQX_RETURN_IF_ERROR(api::not_null(expr, "expr", optns, "optns", objnam, "objnam"));
    store::Database* home = nullptr;
    store::Database* target = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &home));
    CRQX_RETURN_IF_ERROR(api::database(wdbkey, &target));
    formulas::Bounds bounds;
    CRQX_RETURN_IF_ERROR(parse_options(optns, &bounds));
    return formulas::evaluate_into(dbkey, expr, bounds, *target, objnam);
}

}  // namespace

extern "C" {

void qzvrdfm(int* status, int dbkey, char* objnam, char* source, int ilen, int* olen) {
    set_status(status,
               run("qzvrdfm", [&] { return read_source(dbkey, objnam, source, ilen, olen); }));
}

int zavo_create_formula(int dbkey, char* oname, char* value) {
    return run("zavo_create_formula", [&] { return define(dbkey, oname, value, HFRMLA, true); });
}

int zavo_create_global_formula(int dbkey, char* oname, char* value) {
    return run("zavo_create_global_formula",
               [&] { return define(dbkey, oname, value, HGLFOR, true); });
}

int zavo_modify_formula(int dbkey, char* oname, char* value) {
    return run("zavo_modify_formula", [&] { return define(dbkey, oname, value, 0, false); });
}

void qzvrmev(int* status, int dbkey, char* expr, char* optns, int wdbkey, char* objnam) {
    set_status(status,
               run("qzvrmev", [&] { return evaluate(dbkey, expr, optns, wdbkey, objnam); }));
}

}  // extern "C"
