# Shared steps of the project's scripts: system packages from Debian, one
# virtual environment per interpreter with the project installed.
# Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the build and the tests need. bullseye's GoogleTest CMake
# package names gmock's library too, which comes with libgmock-dev.
SYSTEM_PACKAGES=(g++ python3-dev python3-venv libsqlite3-dev libpq-dev postgresql libgtest-dev libgmock-dev ccache)

# What the Windows compile check (scripts/check-windows) needs besides.
WINDOWS_CHECK_PACKAGES=(g++-mingw-w64-x86-64-posix)

# ensure_debian_packages <package...>: installs those not yet installed.
ensure_debian_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0
    echo "== installing Debian packages: ${missing[*]}"
    local sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    mkdir -p "$ROOT/build"
    run_logged "apt-get update" "$ROOT/build/apt-update.log" $sudo apt-get update
    run_logged "apt-get install" "$ROOT/build/apt-install.log" \
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

ensure_system_packages() {
    ensure_debian_packages "${SYSTEM_PACKAGES[@]}"
}

# Compiles go through ccache: pip install and the test build compile the same
# sources, and so do the module's variants and each interpreter's build
# directory (hence no hash of the directory). CMake reads the launchers when
# it configures a new build directory.
use_compiler_cache() {
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_NOHASHDIR=true
}

# The interpreters to build and test for: the python3 on PATH and Debian's
# own, once each.
interpreters() {
    local seen="" py real
    for py in python3 /usr/bin/python3; do
        command -v "$py" >/dev/null 2>&1 || continue
        real="$("$py" -c 'import sys; print(sys.executable)')"
        real="$(readlink -f "$real")"
        case " $seen " in *" $real "*) continue ;; esac
        seen="$seen $real"
        echo "$py"
    done
}

# A short tag naming an interpreter: py311-pyenv, py311-debian, ...
interpreter_tag() {
    "$1" -c 'import sys; v = sys.version_info; print("py%d%d-%s" % (v[0], v[1], "debian" if sys.executable.startswith("/usr/bin") else "local"))'
}

# make_venv <python> <dir> [pip requirement...]: a virtual environment with
# the build tools; extra arguments are installed into it as well.
make_venv() {
    local py="$1" dir="$2"
    shift 2
    if [[ ! -x "$dir/bin/python" ]]; then
        echo "   virtual environment $dir"
        "$py" -m venv "$dir"
    fi
    echo "   build tools into it: pip, cmake, ninja $*"
    "$dir/bin/python" -m pip install -q --disable-pip-version-check --upgrade pip
    "$dir/bin/python" -m pip install -q --disable-pip-version-check cmake ninja "$@"
}

# run_logged <what> <log file> <command...>: runs a long step with its output
# in a log, printing every 30 seconds how long it has run and the log's last
# line (for a build, ninja's [done/total] counter), and the log's tail if it
# fails.
run_logged() {
    local what="$1" log="$2" start=$SECONDS pid rc=0
    shift 2
    echo "   $what (log: $log)"
    "$@" >"$log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15; do
            sleep 2
            kill -0 "$pid" 2>/dev/null || break 2
        done
        printf '   ... %ds: %s\n' $((SECONDS - start)) "$(tail -n1 "$log" 2>/dev/null | cut -c1-100)"
    done
    wait "$pid" || rc=$?
    if ((rc)); then
        echo "   FAILED after $((SECONDS - start))s: $what; the end of $log:"
        tail -n 60 "$log"
        return "$rc"
    fi
    echo "   done in $((SECONDS - start))s"
}

# install_project <venv dir> [extras]: builds and installs pyrqx with libcrqx.
install_project() {
    local dir="$1" extras="${2:-}"
    local target="$ROOT"
    [[ -n "$extras" ]] && target="$ROOT[$extras]"
    mkdir -p "$ROOT/build"
    run_logged "pip install ${target#"$ROOT"} (compiles the engine and the module)" \
        "$ROOT/build/install-$(basename "$dir").log" \
        "$dir/bin/python" -m pip install -v --disable-pip-version-check "$target"
}

# suite_results <log...>: one line per test suite that ran in the logs, named
# by the "== " heading above it, with the counts of pytest's or ctest's
# closing line: "<heading>: N passed, N failed, N skipped".
suite_results() {
    awk '
        function report(p, f, s) { printf "%s: %d passed, %d failed, %d skipped\n", heading, p, f, s }
        function pytest_closing(line,   body, n, parts, i, kv, p, f, s) {
            gsub(/=/, "", line)
            sub(/^ +/, "", line)
            if (line !~ /^[0-9]+ [a-z]+.* in [0-9.]+s/) return 0
            body = line
            sub(/ in [0-9.]+s.*$/, "", body)
            n = split(body, parts, ", ")
            for (i = 1; i <= n; i++) {
                if (split(parts[i], kv, " ") != 2 || kv[1] !~ /^[0-9]+$/) return 0
                if (kv[2] == "passed") p += kv[1]
                else if (kv[2] == "failed" || kv[2] ~ /^errors?$/) f += kv[1]
                else if (kv[2] == "skipped" || kv[2] == "xfailed") s += kv[1]
                else if (kv[2] !~ /^(xpassed|deselected|warnings?|rerun)$/) return 0
            }
            report(p, f, s)
            return 1
        }
        /^== / { heading = substr($0, 4); next }
        /^[0-9]+% tests passed(, [0-9]+ tests? failed)? out of [0-9]+/ {
            # ctest: "100% tests passed out of 3", "67% tests passed, 1 tests failed out of 3"
            failed = 0
            if ($0 ~ / failed /) { failed = $0; sub(/ tests? failed out of.*/, "", failed); sub(/.*, /, "", failed) }
            total = $0; sub(/.* out of /, "", total)
            report(total - failed, failed, 0)
            next
        }
        { pytest_closing($0) }
    ' "$@"
}

# sum_results: the totals of suite_results lines on stdin, as
# "N passed, N failed, N skipped".
sum_results() {
    awk '{ n = split($0, w, " "); p += w[n - 5]; f += w[n - 3]; s += w[n - 1] }
         END { printf "%d passed, %d failed, %d skipped\n", p, f, s }'
}
