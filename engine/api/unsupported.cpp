// Functions of the C interface that this engine does not provide yet. Each
// reports HNSUPP and says so in the last-error text. A row leaves this list
// when its room implements the function (scripts/prune-unsupported removes
// the rows of functions defined elsewhere in engine/api). With GCC and Clang
// the stubs are weak, so a room's own definition wins even before that.
#include "api/api.h"
#include "crqx.h"

#if defined(__GNUC__)
#define CRQX_STUB __attribute__((weak))
#else
#define CRQX_STUB
#endif

#define UNSUPPORTED_CLASSIC(name, params)                                   \
    extern "C" CRQX_STUB void name params {                                \
        int code = crqx::api::fail(#name, crqx::HNSUPP, "not supported yet"); \
        if (status != nullptr) *status = code;                              \
    }
#define UNSUPPORTED_EXTENDED(name, params) \
    extern "C" CRQX_STUB int name params {  \
        return crqx::api::fail(#name, crqx::HNSUPP, "not supported yet"); \
    }

// Parameters are named for readability; most stubs do not use them.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif

UNSUPPORTED_CLASSIC(qzvopdc, (int *status, int *dbkey, char *dbname, int mode, int connkey))
UNSUPPORTED_CLASSIC(qzvopre, (int *status, int *dbkey, char *svname))
UNSUPPORTED_CLASSIC(qzvoprc, (int *status, int *dbkey, int connkey))
UNSUPPORTED_CLASSIC(qzvopcn, (int *status, int *connkey, char *service, char *hostname, char *username, char *password))
UNSUPPORTED_CLASSIC(qzvclcn, (int *status, int connkey))
UNSUPPORTED_CLASSIC(qzvcmmt, (int *status, int connkey))
UNSUPPORTED_CLASSIC(qzvabrt, (int *status, int connkey))
UNSUPPORTED_CLASSIC(qzvgcid, (int *status, int dbkey, int *connkey))
UNSUPPORTED_CLASSIC(qzvasrt, (int *status, int connkey, int assert_type, char *assertion, int perspective, int grouping, int *dblist))
UNSUPPORTED_CLASSIC(qzvzavo, (int *status, char *cmd))
UNSUPPORTED_CLASSIC(qzvsinp, (int *status, char *cmd))
UNSUPPORTED_EXTENDED(zavo_remexec, (int dbkey, char *command, int wdbkey, char *objnam))
UNSUPPORTED_EXTENDED(zavo_get_server_input, (char *buffer, int buffer_size, int *input_size))
UNSUPPORTED_CLASSIC(qzvsali, (int *status, int dbkey, char *objnam, char *aliass))
UNSUPPORTED_CLASSIC(qzvgtali, (int *status, int dbkey, char *objnam, char *aliass, int inlen, int *outlen))
UNSUPPORTED_CLASSIC(qzvlali, (int *status, int dbkey, char *objnam, int *alilen))
UNSUPPORTED_CLASSIC(qzvsaso, (int *status, int dbkey, char *objnam, char *assoc))
UNSUPPORTED_CLASSIC(qzvgtaso, (int *status, int dbkey, char *objnam, char *assoc, int inlen, int *outlen))
UNSUPPORTED_CLASSIC(qzvlaso, (int *status, int dbkey, char *objnam, int *asolen))
UNSUPPORTED_CLASSIC(qzvgtnl, (int *status, int dbkey, char *objnam, int index, char *strval, int inlen, int *outlen))
UNSUPPORTED_CLASSIC(qzvwtnl, (int *status, int dbkey, char *objnam, int index, char *strval))
UNSUPPORTED_CLASSIC(qzvnlen, (int *status, int dbkey, char *objnam, int index, int *length))
UNSUPPORTED_CLASSIC(qzvncnt, (int *status, int dbkey, char *objnam, int *length))
UNSUPPORTED_CLASSIC(qzvrdfm, (int *status, int dbkey, char *objnam, char *source, int ilen, int *olen))
UNSUPPORTED_EXTENDED(zavo_create_formula, (int dbkey, char *oname, char *value))
UNSUPPORTED_EXTENDED(zavo_create_global_formula, (int dbkey, char *oname, char *value))
UNSUPPORTED_EXTENDED(zavo_modify_formula, (int dbkey, char *oname, char *value))
UNSUPPORTED_CLASSIC(qzvrmev, (int *status, int dbkey, char *expr, char *optns, int wdbkey, char *objnam))
UNSUPPORTED_CLASSIC(qzvrrng_f, (int *status, int dbkey, char *objnam, int *range, void *valary, int tmiss, void *mistt))
UNSUPPORTED_CLASSIC(qzvwrng_f, (int *status, int dbkey, char *objnam, int *range, void *valary, int tmiss, void *mistt))
UNSUPPORTED_CLASSIC(qzvgtstr, (int *status, int dbkey, char *objnam, int *range, char *strval, int *ismiss, int inlen, int *outlen))
UNSUPPORTED_CLASSIC(qzvwstr, (int *status, int dbkey, char *objnam, int *range, char *strval, int ismiss, int length))
UNSUPPORTED_CLASSIC(qzvgtsts, (int *status, int dbkey, char *objnam, int *range, char **strary, int *misary, int *inlenary, int *outlenary))
UNSUPPORTED_CLASSIC(qzvwsts, (int *status, int dbkey, char *objnam, int *range, char **strary, int *misary, int *lenary))
UNSUPPORTED_CLASSIC(qzvlsts, (int *status, int dbkey, char *objnam, int *range, int *lenary))
UNSUPPORTED_CLASSIC(qzvssln, (int *status, int dbkey, char *objnam, int length))
UNSUPPORTED_CLASSIC(qzvgsln, (int *status, int dbkey, char *objnam, int *length))
UNSUPPORTED_CLASSIC(qzvsnm, (int *status, float nctran, float ndtran, float natran, float *nmistt))
UNSUPPORTED_CLASSIC(qzvspm, (int *status, double nctran, double ndtran, double natran, double *pmistt))
UNSUPPORTED_CLASSIC(qzvsbm, (int *status, int nctran, int ndtran, int natran, int *bmistt))
UNSUPPORTED_CLASSIC(qzvsdm, (int *status, int nctran, int ndtran, int natran, int *dmistt))
UNSUPPORTED_CLASSIC(qzvisnm, (int *status, float value, int *ismiss))
UNSUPPORTED_CLASSIC(qzvispm, (int *status, double value, int *ismiss))
UNSUPPORTED_CLASSIC(qzvisbm, (int *status, int value, int *ismiss))
UNSUPPORTED_CLASSIC(qzvisdm, (int *status, int value, int *ismiss))
UNSUPPORTED_CLASSIC(qzvissm, (int *status, char *value, int *ismiss))
UNSUPPORTED_EXTENDED(zavo_get_numerics, (int dbkey, char *objnam, int *range, float *valary))
UNSUPPORTED_EXTENDED(zavo_get_precisions, (int dbkey, char *objnam, int *range, double *valary))
UNSUPPORTED_EXTENDED(zavo_get_booleans, (int dbkey, char *objnam, int *range, int *valary))
UNSUPPORTED_EXTENDED(zavo_get_dates, (int dbkey, char *objnam, int *range, int *valary))
UNSUPPORTED_EXTENDED(zavo_get_strings, (int dbkey, char *objnam, int *range, char **strary, int *inlenary, int *outlenary))
UNSUPPORTED_EXTENDED(zavo_write_numerics, (int dbkey, char *objnam, int *range, float *valary))
UNSUPPORTED_EXTENDED(zavo_write_precisions, (int dbkey, char *objnam, int *range, double *valary))
UNSUPPORTED_EXTENDED(zavo_write_booleans, (int dbkey, char *objnam, int *range, int *valary))
UNSUPPORTED_EXTENDED(zavo_write_dates, (int dbkey, char *objnam, int *range, int value_type, int *valary))
UNSUPPORTED_EXTENDED(zavo_write_strings, (int dbkey, char *objnam, int *range, char **strary))
UNSUPPORTED_EXTENDED(zavo_len_strings, (int dbkey, char *objnam, int *range, int *lenary))
UNSUPPORTED_CLASSIC(qzvrdfa_f, (int *status, int dbkey, char *objnam, int wntobs, int *syear, int *sprd, int *gotobs, void *valary, int tmiss, void *mistt))
UNSUPPORTED_CLASSIC(qzvwrmt_f, (int *status, int dbkey, char *objnam, int objtyp, int *range, void *valary, int tmiss, void *mistt))
UNSUPPORTED_CLASSIC(qzvgtatt_f, (int *status, int dbkey, char *objnam, int *atttyp, char *attnam, void *value, int inlen, int *outlen))
UNSUPPORTED_CLASSIC(qzvsatt_f, (int *status, int dbkey, char *objnam, int atttyp, char *attnam, void *value))
UNSUPPORTED_CLASSIC(qzvlatt, (int *status, int dbkey, char *objnam, int atttyp, char *attnam, int *attlen))
UNSUPPORTED_EXTENDED(zavo_get_boolean_attribute, (int dbkey, char *objnam, char *attnam, int *value))
UNSUPPORTED_EXTENDED(zavo_get_date_attribute, (int dbkey, char *objnam, char *attnam, int *value, int *freq))
UNSUPPORTED_EXTENDED(zavo_get_namelist_attribute, (int dbkey, char *objnam, char *attnam, char *value, int inlen, int *outlen))
UNSUPPORTED_EXTENDED(zavo_get_numeric_attribute, (int dbkey, char *objnam, char *attnam, float *value))
UNSUPPORTED_EXTENDED(zavo_get_precision_attribute, (int dbkey, char *objnam, char *attnam, double *value))
UNSUPPORTED_EXTENDED(zavo_get_string_attribute, (int dbkey, char *objnam, char *attnam, char *value, int inlen, int *outlen))
UNSUPPORTED_EXTENDED(zavo_set_boolean_attribute, (int dbkey, char *objnam, char *attnam, int value))
UNSUPPORTED_EXTENDED(zavo_set_date_attribute, (int dbkey, char *objnam, char *attnam, int value, int freq))
UNSUPPORTED_EXTENDED(zavo_set_namelist_attribute, (int dbkey, char *objnam, char *attnam, char *value))
UNSUPPORTED_EXTENDED(zavo_set_numeric_attribute, (int dbkey, char *objnam, char *attnam, float value))
UNSUPPORTED_EXTENDED(zavo_set_precision_attribute, (int dbkey, char *objnam, char *attnam, double value))
UNSUPPORTED_EXTENDED(zavo_set_string_attribute, (int dbkey, char *objnam, char *attnam, char *value))
