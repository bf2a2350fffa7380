// Missing-value translation tables (qzvs?m) and tests (qzvis?m, qzvissm).
// A table is CRQX_MISSING_TABLE_SIZE values standing for NC, ND, NA.
#include <cstring>

#include "api/status_report.h"
#include "crqx.h"
#include "series/kinds.h"

using namespace crqx;
using api::run;
using api::set_status;

namespace {

template <typename T>
Status fill_table(T nc, T nd, T na, T* table) {
    CRQX_RETURN_IF_ERROR(api::not_null(table, "the translation table"));
    table[CRQX_MISSING_NC] = nc;
    table[CRQX_MISSING_ND] = nd;
    table[CRQX_MISSING_NA] = na;
    return Status::OK();
}

template <typename T>
Status test_value(T value, int* ismiss) {
    CRQX_RETURN_IF_ERROR(api::not_null(ismiss, "ismiss"));
    *ismiss = series::missing_code_of_slot(series::missing_slot(value));
    return Status::OK();
}

Status test_text(const char* value, int* ismiss) {
    CRQX_RETURN_IF_ERROR(api::not_null(value, "the value"));
    CRQX_RETURN_IF_ERROR(api::not_null(ismiss, "ismiss"));
    const char* codes[3] = {missing::kStringNC, missing::kStringND, missing::kStringNA};
    int slot = -1;
    for (int i = 0; i < 3; ++i)
        if (std::strcmp(value, codes[i]) == 0) slot = i;
    *ismiss = series::missing_code_of_slot(slot);
    return Status::OK();
}

}  // namespace

extern "C" {

void qzvsnm(int* status, float nctran, float ndtran, float natran, float* nmistt) {
    set_status(status, run("qzvsnm", [&] { return fill_table(nctran, ndtran, natran, nmistt); }));
}

void qzvspm(int* status, double nctran, double ndtran, double natran, double* pmistt) {
    set_status(status, run("qzvspm", [&] { return fill_table(nctran, ndtran, natran, pmistt); }));
}

void qzvsbm(int* status, int nctran, int ndtran, int natran, int* bmistt) {
    set_status(status, run("qzvsbm", [&] { return fill_table(nctran, ndtran, natran, bmistt); }));
}

void qzvsdm(int* status, int nctran, int ndtran, int natran, int* dmistt) {
    set_status(status, run("qzvsdm", [&] { return fill_table(nctran, ndtran, natran, dmistt); }));
}

void qzvisnm(int* status, float value, int* ismiss) {
    set_status(status, run("qzvisnm", [&] { return test_value(value, ismiss); }));
}

void qzvispm(int* status, double value, int* ismiss) {
    set_status(status, run("qzvispm", [&] { return test_value(value, ismiss); }));
}

void qzvisbm(int* status, int value, int* ismiss) {
    set_status(status, run("qzvisbm", [&] { return test_value(value, ismiss); }));
}

void qzvisdm(int* status, int value, int* ismiss) {
    set_status(status, run("qzvisdm", [&] { return test_value(value, ismiss); }));
}

void qzvissm(int* status, char* value, int* ismiss) {
    set_status(status, run("qzvissm", [&] { return test_text(value, ismiss); }));
}

}  // extern "C"
