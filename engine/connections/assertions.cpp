#include "connections/assertions.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "core/codes.h"
#include "formulas/formulas.h"
#include "language/plan.h"
#include "language/syntax.h"
#include "store/registry.h"

namespace crqx {
namespace connections {
namespace {

using store::CheckPoint;

// Assertion texts quoted in error texts are cut to this many bytes.
constexpr size_t kQuotedMax = 200;

std::string quoted(const std::string& text) {
    if (text.size() <= kQuotedMax) return "'" + text + "'";
    return "'" + text.substr(0, kQuotedMax) + "...'";
}

bool applies(const Assertion& a, CheckPoint point) {
    switch (point) {
        case CheckPoint::BeforeChange: return a.at_change && a.before;
        case CheckPoint::AfterChange: return a.at_change && !a.before;
        case CheckPoint::Commit: return a.at_commit;
    }
    return false;
}

const char* when(CheckPoint point) {
    switch (point) {
        case CheckPoint::BeforeChange: return "before the change";
        case CheckPoint::AfterChange: return "after the change";
        case CheckPoint::Commit: return "at the commit";
    }
    return "";
}

// Whether the condition holds on its database now: an error when it cannot
// be evaluated (an unknown name, a type error, a series or a text).
Status holds(const Assertion& a, bool* result) {
    formulas::SessionCatalog catalog;
    std::unique_ptr<language::Plan> plan;
    CRQX_RETURN_IF_ERROR(language::compile(a.text, catalog, a.database, {}, &plan));
    if (plan->series) return Status::Error(HBTYPE, "it gives a series, not one value");
    if (plan->type.type == language::Type::String)
        return Status::Error(HBTYPE, "it gives a text, not a condition");
    language::Column value;
    CRQX_RETURN_IF_ERROR(language::evaluate(*plan, catalog, {0, 0}, &value));
    if (value.num.size() != 1) return Status::Error(HBTYPE, "it gives no single value");
    double v = value.num[0];
    *result = !language::is_missing(v) && v != 0.0;
    return Status::OK();
}

Status check_one(int connection, const Assertion& a, const store::Database& db, CheckPoint point) {
    bool ok = false;
    Status s = holds(a, &ok);
    if (s.ok() && ok) return Status::OK();
    std::string which = "connection " + std::to_string(connection) + ": assertion " +
                        quoted(a.text) + " on " + store::database_label(db);
    if (!s.ok())
        return Status::Error(HABORT,
                             which + " cannot be evaluated " + when(point) + ": " + s.message());
    return Status::Error(HABORT, which + " does not hold " + when(point));
}

// Drops the assertions that `gone` picks; how many there were.
size_t drop(std::vector<Assertion>* list, const std::function<bool(const Assertion&)>& gone) {
    size_t before = list->size();
    list->erase(std::remove_if(list->begin(), list->end(), gone), list->end());
    return before - list->size();
}

std::function<bool(const Assertion&)> with_text(int database, const std::string& text) {
    return [=](const Assertion& a) { return a.database == database && a.text == text; };
}

}  // namespace

Status Assertions::add(const Assertion& assertion) {
    std::unique_ptr<language::Node> tree;
    Status s = language::parse(assertion.text, &tree);
    if (!s.ok())
        return Status::Error(HBASRT, "assertion " + quoted(assertion.text) + ": " + s.message());
    drop(&list_, with_text(assertion.database, assertion.text));
    list_.push_back(assertion);
    return Status::OK();
}

Status Assertions::remove(int database, const std::string& text) {
    if (drop(&list_, with_text(database, text)) == 0)
        return Status::Error(HBASRT, "database " + std::to_string(database) + " has no assertion " +
                                         quoted(text) + " on this connection");
    return Status::OK();
}

void Assertions::remove_all(int database) {
    drop(&list_, [&](const Assertion& a) { return a.database == database; });
}

Status Assertions::check(CheckPoint point, const store::Store* changing) {
    // A database closed since its assertions were added can no longer be
    // checked, nor named to remove them: they end with it.
    drop(&list_, [](const Assertion& a) {
        store::Database* db = nullptr;
        return !store::find_database(a.database, &db).ok();
    });
    // A copy: evaluating reads through the catalog, which must not see the
    // list change under it.
    const std::vector<Assertion> list = list_;
    for (const Assertion& a : list) {
        if (!applies(a, point)) continue;
        store::Database* db = nullptr;
        CRQX_RETURN_IF_ERROR(store::find_database(a.database, &db));
        if (changing != nullptr && db->store.get() != changing) continue;
        CRQX_RETURN_IF_ERROR(check_one(connection_, a, *db, point));
    }
    return Status::OK();
}

Status apply_assertion(Assertions& assertions, int connkey, int assert_type,
                       const std::string& text, int perspective, int grouping, int dbkey) {
    if (assert_type < kAddAssertion || assert_type > kRemoveAllAssertions)
        return Status::Error(HBATYP, "assert_type " + std::to_string(assert_type) +
                                         " is none of 1 (add), 2 (remove) and 3 (remove all)");
    store::Database* db = nullptr;
    Status found = store::find_database(dbkey, &db);
    if (!found.ok() || db->connection != connkey)
        return Status::Error(HBKEY, "database key " + std::to_string(dbkey) +
                                        " is no open database of connection " +
                                        std::to_string(connkey));
    if (assert_type == kRemoveAssertion) return assertions.remove(dbkey, text);
    if (assert_type == kRemoveAllAssertions) {
        assertions.remove_all(dbkey);
        return Status::OK();
    }
    if (perspective != kAfter && perspective != kBefore)
        return Status::Error(HBPRSP, "perspective " + std::to_string(perspective) +
                                         " is neither 1 (after) nor 2 (before)");
    if (grouping < kAtCommit || grouping > kAtBoth)
        return Status::Error(HBGRP, "grouping " + std::to_string(grouping) +
                                        " is none of 1 (commit), 2 (each change) and 3 (both)");
    Assertion a;
    a.text = text;
    a.database = dbkey;
    a.at_commit = grouping == kAtCommit || grouping == kAtBoth;
    a.at_change = grouping == kAtChange || grouping == kAtBoth;
    a.before = perspective == kBefore;
    return assertions.add(a);
}

}  // namespace connections
}  // namespace crqx
