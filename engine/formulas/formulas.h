// Formula objects: a series or scalar defined by an expression and computed
// whenever it is read. The source text is the object's only stored value
// (chunk 0), so copy, rename, delete, post and restore treat it like any
// object's values. Names in an expression resolve over the open databases.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "language/plan.h"
#include "series/series.h"
#include "store/registry.h"

namespace crqx {
namespace formulas {

bool is_formula_class(int object_class);

// Names as an expression of database `home` sees them: `db:name` looks in
// the open database whose file name (without folder and extension) is `db`;
// a plain name in `home` first, then in every other open database in the
// order they were opened.
class SessionCatalog : public language::Catalog {
public:
    Status lookup(const std::string& qualifier, const std::string& name, int home,
                  language::Symbol* out) override;
    Status read(const language::Symbol& symbol, language::Span span,
                language::Column* out) override;
};

// The source text of a formula object ("" for one created without text).
Status read_source(store::Database& db, const std::string& name, std::string* source);

// A global formula `name` of any open database other than `home`, for a
// call that names it through `home` where no object has that name: HNOOBJ
// when there is none.
Status find_global(int home, const std::string& name, store::Database** db,
                   store::ObjectRecord* record);

// Creates (create) or replaces the text of formula `name` of class
// HFRMLA/HGLFOR. A text that does not parse is refused (HFRMSYNTAXERR,
// HNFSRCLONG) and nothing changes; replacing needs a formula (HBCLAS).
Status define(store::Database& db, const std::string& name, int object_class,
              const std::string& source, bool create);

// Compiles the text of formula `record` of database `db`.
Status compile(store::Database& db, const store::ObjectRecord& record, SessionCatalog& catalog,
               std::unique_ptr<language::Plan>* plan);

// A formula as the read functions see it: the class (HSERIE/HSCALA), type,
// frequency and observations its expression gives. Statuses of compile.
Status as_valued(store::Database& db, series::ValuedObject* object);

// The record of a formula with the type, frequency and observations of its
// expression, for inquiry; the stored record when its text does not compile.
void describe(store::Database& db, store::ObjectRecord* record);

// The formula's values over `span` in the C type of its kind.
template <typename T>
Status read_span(store::Database& db, const series::ValuedObject& object, series::Span span,
                 T* out);

}  // namespace formulas
}  // namespace crqx

namespace crqx {
namespace formulas {

// Where an evaluation into an object starts and ends: date literals of the
// result's frequency; an empty one means the start (end) of the
// observations the expression can have.
struct Bounds {
    std::string from;
    std::string to;
    int frequency = 0;  // not 0: the bounds hold only for a result of this frequency
};

// Evaluates `text` with `home` as its own database and stores the result
// as object `name` of `target` (a series of the result's type and
// frequency over the bounds, or a scalar), replacing an object of that
// name, all in one change. Statuses: those of compile and evaluate,
// HBSRNG/HBERNG for a bound that is no date of the result's frequency,
// HBRNG when they cross, HBNRNG for more than kMaxEvaluated observations.
Status evaluate_into(int home, const std::string& text, const Bounds& bounds,
                     store::Database& target, const std::string& name);

constexpr int64_t kMaxEvaluated = 50000000;

}  // namespace formulas
}  // namespace crqx
