// The command functions of the C interface: running command text in the
// session's interpreter, giving it input, running a command for its value,
// and draining what commands printed.
#include <algorithm>

#include "api/status_report.h"
#include "commands/interpreter.h"
#include "crqx.h"
#include "formulas/formulas.h"

using namespace crqx;
using api::run;
using api::set_status;

namespace {

Status remote_execute(int dbkey, const char* command, int wdbkey, const char* objnam) {
    CRQX_RETURN_IF_ERROR(api::not_null(command, "command", objnam, "objnam"));
    store::Database* home = nullptr;
    store::Database* target = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &home));
    CRQX_RETURN_IF_ERROR(api::database(wdbkey, &target));
    CRQX_RETURN_IF_ERROR(commands::run(command, dbkey));
    const std::string expression = commands::last_expression();
    if (expression.empty())
        return Status::Error(HBFUNC,
                             "the command gives no value (use PRINT, EVAL or an assignment)");
    formulas::Bounds bounds;
    commands::current_bounds(&bounds.from, &bounds.to, &bounds.frequency);
    return formulas::evaluate_into(dbkey, expression, bounds, *target, objnam);
}

Status server_input(char* buffer, int buffer_size, int* input_size) {
    CRQX_RETURN_IF_ERROR(api::not_null(buffer, "buffer", input_size, "input_size"));
    if (buffer_size < 1)
        return Status::Error(HBLEN, "buffer_size " + std::to_string(buffer_size) + " is below 1");
    // Never past the buffer: its size, or the text it holds when smaller.
    const size_t capacity =
        std::min(static_cast<size_t>(buffer_size), api::capacity_of(buffer)) - 1;
    std::string piece;
    *input_size = 0;
    buffer[0] = '\0';
    CRQX_RETURN_IF_ERROR(commands::take_output(capacity, &piece));
    std::copy(piece.begin(), piece.end(), buffer);
    buffer[piece.size()] = '\0';
    *input_size = static_cast<int>(piece.size());
    return Status::OK();
}

}  // namespace

extern "C" {

void qzvzavo(int* status, char* cmd) {
    set_status(status, run("qzvzavo", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(cmd, "cmd"));
                   return commands::run(cmd);
               }));
}

void qzvsinp(int* status, char* cmd) {
    set_status(status, run("qzvsinp", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(cmd, "cmd"));
                   commands::add_input(cmd);
                   return Status::OK();
               }));
}

int zavo_remexec(int dbkey, char* command, int wdbkey, char* objnam) {
    return run("zavo_remexec", [&] { return remote_execute(dbkey, command, wdbkey, objnam); });
}

int zavo_get_server_input(char* buffer, int buffer_size, int* input_size) {
    return run("zavo_get_server_input",
               [&] { return server_input(buffer, buffer_size, input_size); });
}

}  // extern "C"
