# Fresh Debian roots, for trying the project as a new user would. debootstrap
# makes a base root of a release (git and ca-certificates only), kept in
# FRESH_CACHE; each run works in a copy of it that reaches the registries
# through this machine's own apt and pip configuration, and goes away after.
# Sourced after lib.sh, not run.

FRESH_CACHE="${PYRQX_FRESH_CACHE:-/var/cache/pyrqx-fresh}"
FRESH_WORK="${PYRQX_FRESH_WORK:-/var/tmp}"
FRESH_ROOT=""

host_codename() {
    (. /etc/os-release && echo "$VERSION_CODENAME")
}

# The apt source files of this machine that name its own release.
host_debian_sources() {
    local host f
    host="$(host_codename)"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        if [[ -f $f ]] && grep -qw "$host" "$f"; then echo "$f"; fi
    done
}

# The archive of the machine's release in those files (one-line or deb822).
debian_mirror() {
    local mirror
    mirror="$(host_debian_sources | xargs -r awk -v host="$(host_codename)" '
        /^#/ { next }
        $1 == "deb" { for (i = 2; i < NF; i++) if ($i ~ /:\/\// && $(i + 1) == host) { print $i; exit } }
        $1 == "URIs:" { uri = $2 }
        $1 == "Suites:" { for (i = 2; i <= NF; i++) if ($i == host && uri != "") { print uri; exit } }
        NF == 0 { uri = "" }')"
    echo "${mirror:-http://deb.debian.org/debian}"
}

# pip's configuration files on this machine, global and root's own.
host_pip_configs() {
    local f
    for f in /etc/pip.conf /etc/xdg/pip/* "$HOME/.config/pip/pip.conf" "$HOME/.pip/pip.conf"; do
        if [[ -f $f ]]; then echo "$f"; fi
    done
}

# The local folders that pip's configuration and PIP_* variables name as
# package sources; for an index, the folder above it, which holds its files.
pip_local_folders() {
    local value
    {
        host_pip_configs | xargs -r grep -hE '^\s*(find-links|index-url|extra-index-url)\s*=' | sed 's/^[^=]*=//'
        env | sed -n 's/^PIP_\(FIND_LINKS\|INDEX_URL\|EXTRA_INDEX_URL\)=//p'
    } | tr ' \t' '\n\n' | while read -r value; do
        value="${value#file://}"
        [[ $value == /* && -d $value ]] || continue
        value="$(readlink -f "$value")"
        [[ $value != */simple ]] || value="$(dirname "$value")"
        echo "$value"
    done | sort -u
}

# unmount_under <dir>: unmounts everything mounted below dir, deepest first;
# fails if something stays mounted.
mounts_under() {
    awk -v dir="$1/" '{ gsub(/\\040/, " ", $2); if (index($2 "/", dir) == 1) print $2 }' /proc/mounts | sort -r
}
unmount_under() {
    local m
    while read -r m; do
        umount "$m" 2>/dev/null || umount -l "$m" || true
    done < <(mounts_under "$1")
    [[ -z "$(mounts_under "$1")" ]]
}

# remove_tree <dir> [background]: removes a root, never while anything is
# mounted in it (a bound /dev or package folder would go with it). In the
# background the removal (a minute for a root's many files) lets the caller
# go on; it writes nowhere, so it holds no pipe of the caller open.
remove_tree() {
    [[ -e $1 ]] || return 0
    if ! unmount_under "$1"; then
        echo "   still mounted under $1, left in place:" >&2
        mounts_under "$1" >&2
        return 1
    fi
    if [[ ${2:-} == background ]]; then
        rm -rf --one-file-system "$1" </dev/null >/dev/null 2>&1 &
    else
        rm -rf --one-file-system "$1"
    fi
}

# make_base_root <release>: the cached base root of release, made by
# debootstrap on first use; one maker at a time per release.
make_base_root() {
    local release="$1" dir="$FRESH_CACHE/$1"
    mkdir -p "$dir"
    exec 9>"$dir/lock"
    flock 9
    if [[ ! -d $dir/base ]]; then
        ensure_debian_packages debootstrap
        remove_tree "$dir/base.new"
        run_logged "debootstrap $release from $(debian_mirror) (git and ca-certificates only)" "$dir/debootstrap.log" \
            debootstrap --variant=minbase --include=git,ca-certificates "$release" "$dir/base.new" "$(debian_mirror)"
        mv "$dir/base.new" "$dir/base"
    else
        echo "   base root of $release from $dir/base"
    fi
    flock -u 9
}

# The machine's way to the registries, for release: its Debian sources with
# its release renamed, its CA certificates, pip's configuration, the name
# server.
configure_root() {
    local release="$1" root="$FRESH_ROOT" host f
    host="$(host_codename)"
    rm -f "$root/etc/apt/sources.list"
    for f in $(host_debian_sources); do
        sed "s/\b$host\b/$release/g" "$f" >"$root$f"
    done
    for f in $(host_pip_configs) /etc/resolv.conf /etc/hosts; do
        mkdir -p "$root$(dirname "$f")"
        cp -L --remove-destination "$f" "$root$f"
    done
    if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
        cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
        chroot "$root" update-ca-certificates >/dev/null 2>&1
    fi
}

# bind <source> <target in root> [ro]
bind() {
    mkdir -p "$FRESH_ROOT$2"
    mount --bind "$1" "$FRESH_ROOT$2"
    [[ ${3:-} != ro ]] || mount -o remount,bind,ro "$FRESH_ROOT$2"
}

# The kernel's file systems, pip's local package folders (read only), and
# apt's downloads kept across runs so that a run does not fetch every
# package again (downloads only: every install step still runs).
mount_root() {
    local release="$1" root="$FRESH_ROOT" dir
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --rbind /dev "$root/dev"
    mount --make-rslave "$root/dev"
    for dir in $(pip_local_folders); do
        bind "$dir" "$dir" ro
    done
    mkdir -p "$FRESH_CACHE/$release/apt-archives/partial"
    bind "$FRESH_CACHE/$release/apt-archives" /var/cache/apt/archives
}

# open_root <release>: FRESH_ROOT, a fresh root over the release's base root
# (an overlay whose changes go to the run's folder, or where overlays cannot
# be mounted a copy), configured and mounted; close_root undoes it, also
# after a failure.
FRESH_RUN=""
open_root() {
    local release="$1" base="$FRESH_CACHE/$1/base" start
    make_base_root "$release"
    start=$SECONDS
    mkdir -p "$FRESH_WORK"
    FRESH_RUN="$(mktemp -d "$FRESH_WORK/pyrqx-fresh-$release.XXXXXX")"
    FRESH_ROOT="$FRESH_RUN/root"
    mkdir -p "$FRESH_RUN"/{root,changes,overlay-work}
    mount -t overlay overlay -o "lowerdir=$base,upperdir=$FRESH_RUN/changes,workdir=$FRESH_RUN/overlay-work" \
        "$FRESH_ROOT" 2>/dev/null || cp -a "$base/." "$FRESH_ROOT/"
    configure_root "$release"
    mount_root "$release"
    echo "   fresh root $FRESH_ROOT, ready in $((SECONDS - start))s"
}

close_root() {
    [[ -n $FRESH_RUN ]] || return 0
    set +e  # cleaning up: every step is tried
    stop_processes_in "$FRESH_ROOT"
    remove_tree "$FRESH_RUN" background && FRESH_RUN=""
}

# stop_processes_in <root>: ends what still runs in the root (after an
# interrupt), so that nothing holds its mounts.
processes_in() {
    local p
    for p in /proc/[0-9]*; do
        if [[ "$(readlink "$p/root" 2>/dev/null)" == "$1" ]]; then echo "${p#/proc/}"; fi
    done
}
stop_processes_in() {
    local pids
    pids="$(processes_in "$1")"
    [[ -n $pids ]] || return 0
    kill $pids 2>/dev/null
    sleep 2
    pids="$(processes_in "$1")"
    [[ -z $pids ]] || kill -KILL $pids 2>/dev/null
    return 0
}

# in_root <command line>: runs it with bash in the root, as root, in a clean
# environment that keeps only pip's settings and CI's flag.
in_root() {
    local env=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8)
    [[ -n ${CI:-} ]] && env+=("CI=$CI")
    mapfile -t -O ${#env[@]} env < <(env | grep '^PIP_')
    chroot "$FRESH_ROOT" /usr/bin/env -i "${env[@]}" /bin/bash -c "$1"
}
