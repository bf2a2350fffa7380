// A storage layer for tests that fails on purpose: it stands in front of
// SQLite's own file layer as the default, counts the points where the engine
// writes, syncs, truncates or locks, and can fail the n-th of them or cut
// the power there (every write since the file's last sync is then undone).
#pragma once

#include <string>

namespace faults {

enum class Point { Write, Sync, Truncate, Lock };
enum class Failure {
    IoError,     // the call fails with an I/O error, nothing written
    DiskFull,    // the call fails as on a full disk
    ShortWrite,  // half the bytes reach the file, then an I/O error
    PowerLoss,   // from here on nothing reaches the disk; see power_back()
};

struct Counts {
    int write = 0, sync = 0, truncate = 0, lock = 0;
    int of(Point p) const;
};

// Puts the layer in front as the default (once per process; it passes
// everything through until armed).
void install();

// Counting restarts; the n-th (1-based) call at `point` fails as `failure`.
// A power loss lasts until power_back(); the other failures hit once.
void arm(Point point, int n, Failure failure);
// Counting restarts with no failure planned.
void disarm();
// No further failure planned; counting goes on.
void stop();
Counts counts();
bool fired();
bool power_is_off();

// After a power loss, with every connection closed: undoes on disk every
// write made since the last sync of its file (the page cache lost), drops
// the shared-memory files, and passes calls through again.
void power_back();

const char* name(Point p);
const char* name(Failure f);

}  // namespace faults
