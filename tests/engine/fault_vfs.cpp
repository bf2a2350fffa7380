#include "fault_vfs.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace faults {
namespace {

// What a file held before its unsynced changes: enough to put it back.
struct Undo {
    sqlite3_int64 size = 0;
    std::vector<std::pair<sqlite3_int64, std::string>> pieces;  // offset, old bytes
};

struct State {
    sqlite3_vfs* real = nullptr;
    Counts counts;
    Point point = Point::Write;
    int n = 0;  // 0: nothing planned
    Failure failure = Failure::IoError;
    bool fired = false;
    bool power_off = false;
    std::map<std::string, Undo> unsynced;  // by path
    std::set<std::string> databases;       // main files opened, for their -shm
} state;

struct File {
    sqlite3_file base;
    sqlite3_file* real;
    char path[600];
};

sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
const char* path_of(sqlite3_file* f) { return reinterpret_cast<File*>(f)->path; }

int& counter(Point p) {
    switch (p) {
        case Point::Write: return state.counts.write;
        case Point::Sync: return state.counts.sync;
        case Point::Truncate: return state.counts.truncate;
        default: return state.counts.lock;
    }
}

// Counts the call; the planned failure when this is its point, if any.
bool fails_here(Point p) {
    int count = ++counter(p);
    if (state.fired || state.n == 0 || p != state.point || count != state.n) return false;
    state.fired = true;
    if (state.failure == Failure::PowerLoss) state.power_off = true;
    return true;
}

// The first unsynced change of a file notes its size.
Undo& undo_of(sqlite3_file* f) {
    auto found = state.unsynced.find(path_of(f));
    if (found != state.unsynced.end()) return found->second;
    Undo& u = state.unsynced[path_of(f)];
    real(f)->pMethods->xFileSize(real(f), &u.size);
    return u;
}

void keep_old_bytes(sqlite3_file* f, sqlite3_int64 offset, sqlite3_int64 amount) {
    if (amount <= 0) return;
    Undo& u = undo_of(f);
    std::string old(static_cast<size_t>(amount), '\0');
    real(f)->pMethods->xRead(real(f), old.data(), static_cast<int>(amount),
                             offset);  // zeros past the end
    u.pieces.emplace_back(offset, std::move(old));
}

int x_close(sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); }
int x_read(sqlite3_file* f, void* buf, int amt, sqlite3_int64 off) {
    return real(f)->pMethods->xRead(real(f), buf, amt, off);
}
int x_write(sqlite3_file* f, const void* buf, int amt, sqlite3_int64 off) {
    bool fail = fails_here(Point::Write);
    if (state.power_off) return SQLITE_IOERR_WRITE;
    keep_old_bytes(f, off, amt);
    if (!fail) return real(f)->pMethods->xWrite(real(f), buf, amt, off);
    if (state.failure == Failure::DiskFull) return SQLITE_FULL;
    if (state.failure == Failure::ShortWrite) real(f)->pMethods->xWrite(real(f), buf, amt / 2, off);
    return SQLITE_IOERR_WRITE;
}
int x_truncate(sqlite3_file* f, sqlite3_int64 size) {
    bool fail = fails_here(Point::Truncate);
    if (state.power_off) return SQLITE_IOERR_TRUNCATE;
    if (fail) return state.failure == Failure::DiskFull ? SQLITE_FULL : SQLITE_IOERR_TRUNCATE;
    sqlite3_int64 now = 0;
    real(f)->pMethods->xFileSize(real(f), &now);
    keep_old_bytes(f, size, now - size);
    return real(f)->pMethods->xTruncate(real(f), size);
}
int x_sync(sqlite3_file* f, int flags) {
    bool fail = fails_here(Point::Sync);
    if (state.power_off) return SQLITE_IOERR_FSYNC;
    if (fail) return SQLITE_IOERR_FSYNC;
    int rc = real(f)->pMethods->xSync(real(f), flags);
    if (rc == SQLITE_OK) state.unsynced.erase(path_of(f));
    return rc;
}
int x_file_size(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int x_lock(sqlite3_file* f, int level) {
    if (fails_here(Point::Lock)) return SQLITE_IOERR_LOCK;
    return real(f)->pMethods->xLock(real(f), level);
}
int x_unlock(sqlite3_file* f, int level) { return real(f)->pMethods->xUnlock(real(f), level); }
int x_check_reserved(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int x_control(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int x_sector(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
int x_device(sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
int x_shm_map(sqlite3_file* f, int region, int size, int extend, void volatile** p) {
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, p);
}
int x_shm_lock(sqlite3_file* f, int offset, int n, int flags) {
    if ((flags & SQLITE_SHM_LOCK) && fails_here(Point::Lock)) return SQLITE_IOERR_SHMLOCK;
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void x_shm_barrier(sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); }
int x_shm_unmap(sqlite3_file* f, int del) { return real(f)->pMethods->xShmUnmap(real(f), del); }
int x_fetch(sqlite3_file* f, sqlite3_int64 off, int amt, void** p) {
    return real(f)->pMethods->xFetch(real(f), off, amt, p);
}
int x_unfetch(sqlite3_file* f, sqlite3_int64 off, void* p) {
    return real(f)->pMethods->xUnfetch(real(f), off, p);
}

const sqlite3_io_methods kMethods = {
    3,          x_close,       x_read,           x_write,   x_truncate, x_sync,   x_file_size,
    x_lock,     x_unlock,      x_check_reserved, x_control, x_sector,   x_device, x_shm_map,
    x_shm_lock, x_shm_barrier, x_shm_unmap,      x_fetch,   x_unfetch,
};

int v_open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
    File* f = reinterpret_cast<File*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->base.pMethods = nullptr;
    std::snprintf(f->path, sizeof f->path, "%s", name != nullptr ? name : "");
    int rc = state.real->xOpen(state.real, name, f->real, flags, out_flags);
    if (f->real->pMethods != nullptr) f->base.pMethods = &kMethods;
    if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && name != nullptr)
        state.databases.insert(name);
    return rc;
}
int v_delete(sqlite3_vfs*, const char* name, int sync_dir) {
    if (state.power_off) return SQLITE_IOERR_DELETE;
    state.unsynced.erase(name);
    return state.real->xDelete(state.real, name, sync_dir);
}
int v_access(sqlite3_vfs*, const char* name, int flags, int* out) {
    return state.real->xAccess(state.real, name, flags, out);
}
int v_full(sqlite3_vfs*, const char* name, int n, char* out) {
    return state.real->xFullPathname(state.real, name, n, out);
}
void* v_dlopen(sqlite3_vfs*, const char* name) { return state.real->xDlOpen(state.real, name); }
void v_dlerror(sqlite3_vfs*, int n, char* out) { state.real->xDlError(state.real, n, out); }
void (*v_dlsym(sqlite3_vfs*, void* h, const char* sym))(void) {
    return state.real->xDlSym(state.real, h, sym);
}
void v_dlclose(sqlite3_vfs*, void* h) { state.real->xDlClose(state.real, h); }
int v_random(sqlite3_vfs*, int n, char* out) { return state.real->xRandomness(state.real, n, out); }
int v_sleep(sqlite3_vfs*, int us) { return state.real->xSleep(state.real, us); }
int v_time(sqlite3_vfs*, double* t) { return state.real->xCurrentTime(state.real, t); }
int v_last_error(sqlite3_vfs*, int n, char* out) {
    return state.real->xGetLastError(state.real, n, out);
}
int v_time64(sqlite3_vfs*, sqlite3_int64* t) {
    return state.real->xCurrentTimeInt64(state.real, t);
}

sqlite3_vfs vfs;

}  // namespace

int Counts::of(Point p) const {
    switch (p) {
        case Point::Write: return write;
        case Point::Sync: return sync;
        case Point::Truncate: return truncate;
        default: return lock;
    }
}

void install() {
    if (state.real != nullptr) return;
    sqlite3_initialize();
    state.real = sqlite3_vfs_find(nullptr);
    vfs = sqlite3_vfs{};
    vfs.iVersion = 2;
    vfs.szOsFile = static_cast<int>(sizeof(File)) + state.real->szOsFile;
    vfs.mxPathname = state.real->mxPathname;
    vfs.zName = "faults";
    vfs.xOpen = v_open;
    vfs.xDelete = v_delete;
    vfs.xAccess = v_access;
    vfs.xFullPathname = v_full;
    vfs.xDlOpen = v_dlopen;
    vfs.xDlError = v_dlerror;
    vfs.xDlSym = v_dlsym;
    vfs.xDlClose = v_dlclose;
    vfs.xRandomness = v_random;
    vfs.xSleep = v_sleep;
    vfs.xCurrentTime = v_time;
    vfs.xGetLastError = v_last_error;
    vfs.xCurrentTimeInt64 = v_time64;
    sqlite3_vfs_register(&vfs, 1);
}

void arm(Point point, int n, Failure failure) {
    disarm();
    state.point = point, state.n = n, state.failure = failure;
}

void disarm() {
    state.counts = Counts{};
    state.n = 0;
    state.fired = false;
}

void stop() { state.n = 0; }

Counts counts() { return state.counts; }
bool fired() { return state.fired; }
bool power_is_off() { return state.power_off; }

void power_back() {
    for (auto& [path, undo] : state.unsynced) {
        int fd = ::open(path.c_str(), O_RDWR);
        if (fd < 0) continue;
        for (auto it = undo.pieces.rbegin(); it != undo.pieces.rend(); ++it)
            if (::pwrite(fd, it->second.data(), it->second.size(), it->first) < 0) break;
        [[maybe_unused]] int rc = ::ftruncate(fd, undo.size);
        ::close(fd);
    }
    state.unsynced.clear();
    // The shared memory of a WAL database does not outlive the machine.
    for (const std::string& db : state.databases) ::unlink((db + "-shm").c_str());
    state.power_off = false;
    disarm();
}

const char* name(Point p) {
    static const char* const names[] = {"write", "sync", "truncate", "lock"};
    return names[static_cast<int>(p)];
}

const char* name(Failure f) {
    static const char* const names[] = {"I/O error", "full disk", "short write", "power loss"};
    return names[static_cast<int>(f)];
}

}  // namespace faults
