// The session functions of the C interface.
#include "api/status_report.h"
#include "crqx.h"

using namespace crqx;
using crqx::api::guarded;
using crqx::api::set_status;

namespace {

// Version of the interface this engine implements.
constexpr float kVersion = 1.0f;

}  // namespace

extern "C" {

void qzvini(int* status) {
    set_status(status, guarded("qzvini", [] {
                   if (!session::start())
                       return api::fail("qzvini", HINITD, "the session is already running");
                   return static_cast<int>(HSUCC);
               }));
}

void qzvfin(int* status) {
    set_status(status, guarded("qzvfin", [] {
                   if (!session::active())
                       return api::fail("qzvfin", HNINIT, "no session is running");
                   // The databases end with the session, posted first when post-on-close is set.
                   store::close_all(session::post_on_close());
                   session::end();
                   return static_cast<int>(HSUCC);
               }));
}

void qzvver(int* status, float* ver) {
    if (ver == nullptr)
        return set_status(status, api::fail("qzvver", HNULLP, "ver is a null pointer"));
    *ver = kVersion;
    set_status(status, HSUCC);
}

// The last error's text, whatever the session's state: it explains failures
// of qzvini too.
void qzvferr(int* status, char* errtxt) {
    if (errtxt == nullptr) return set_status(status, HNULLP);
    set_status(status, api::write_text(errtxt, api::capacity_of(errtxt), session::last_error()));
}

void qzvlerr(int* status, int* len) {
    if (len == nullptr) return set_status(status, HNULLP);
    *len = static_cast<int>(session::last_error().size());
    set_status(status, HSUCC);
}

void qzvsopt(int* status, char* optnam, char* optval) {
    set_status(status, api::run("qzvsopt", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(optnam, "optnam", optval, "optval"));
                   return session::set_option(optnam, optval);
               }));
}

void qzvspos(int* status, int flag) {
    set_status(status, api::run("qzvspos", [&] {
                   if (flag != HYES && flag != HNO)
                       return Status::Error(
                           HBFLAG, "flag must be HYES (1) or HNO (0), not " + std::to_string(flag));
                   session::set_post_on_close(flag == HYES);
                   return Status::OK();
               }));
}

}  // extern "C"
