// A server connection's assertions: conditions in the expression language,
// each checked on one database of the connection at its changes, at the
// connection's commits, or both, on the state before or after the
// operation. A condition holds when its one value is true (non-zero) and
// not missing.
//
// Layering: the assertions live here, above the store. The PostgreSQL link
// calls them back at its check points (store/pg_link.h: before and after
// each change, under the change's savepoint, and just before COMMIT), so
// the store never calls up into the language; this room evaluates them
// with the formulas' catalog.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"
#include "store/pg_link.h"

namespace crqx {
namespace connections {

// The codes of qzvasrt: assert_type, grouping and perspective.
constexpr int kAddAssertion = 1;
constexpr int kRemoveAssertion = 2;
constexpr int kRemoveAllAssertions = 3;
constexpr int kAtCommit = 1;
constexpr int kAtChange = 2;
constexpr int kAtBoth = 3;
constexpr int kAfter = 1;
constexpr int kBefore = 2;

struct Assertion {
    std::string text;
    int database = 0;  // the key of the database it is checked on
    bool at_commit = false;
    bool at_change = false;
    bool before = false;  // a precondition; else a postcondition
};

class Assertions {
public:
    // The assertions of connection `connection` (its key names it in texts).
    explicit Assertions(int connection) : connection_(connection) {}

    // Adds `assertion`, replacing one with the same text on the same
    // database. HBASRT (with the language's text) for a text that does not
    // parse; its names are only looked up when it is checked.
    Status add(const Assertion& assertion);
    // HBASRT when the database has no assertion with that text.
    Status remove(int database, const std::string& text);
    void remove_all(int database);

    // Checks the assertions that apply at `point` (on the database whose
    // store is `changing`, for a change). The first that does not hold, or
    // cannot be evaluated, gives HABORT naming it, its database and the
    // connection.
    // Assertions whose database has been closed are dropped.
    Status check(store::CheckPoint point, const store::Store* changing);

private:
    int connection_;
    std::vector<Assertion> list_;
};

// qzvasrt on the server connection whose assertions are `assertions`:
// HBATYP, HBPRSP, HBGRP for codes outside the ones above; HBKEY when
// `dbkey` is no open database of connection `connkey`.
Status apply_assertion(Assertions& assertions, int connkey, int assert_type,
                       const std::string& text, int perspective, int grouping, int dbkey);

}  // namespace connections
}  // namespace crqx
