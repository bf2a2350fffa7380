// Syntax tree to checked, typed plan, and the plan's evaluation over a span.
// Names are resolved through a Catalog, so the language knows nothing of
// databases; a formula named in an expression is compiled into the plan in
// place of its name (cycles and depth are checked there, once).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "language/syntax.h"
#include "language/value.h"

namespace crqx {
namespace language {

constexpr int kMaxFormulaDepth = 16;           // formulas reading formulas; deeper: HBCNTX
constexpr int kMaxPlanDepth = 512;             // operations nested in one plan; deeper: HBCNTX
constexpr int64_t kMaxEvaluation = 100000000;  // observations one operation reads; more: HBNRNG

// What a name stands for.
struct Symbol {
    enum class Kind { Stored, Formula };
    Kind kind = Kind::Stored;
    std::string identity;  // unique among the session's objects (cycle detection)
    std::string name;      // as stored
    int database = 0;      // the key of the database holding it
    // Stored objects:
    ValueType type;
    bool series = false;
    int frequency = 0;
    int observed = 0;
    std::optional<Span> data;  // the observations stored
    // Formulas:
    std::string source;
};

class Catalog {
public:
    virtual ~Catalog() = default;
    // The object `name` (in database `qualifier` when not empty) as seen
    // from an expression whose own database is `home`: HNOOBJ when none.
    virtual Status lookup(const std::string& qualifier, const std::string& name, int home,
                          Symbol* out) = 0;
    // The values of a stored symbol over `span` (a scalar: its one value).
    virtual Status read(const Symbol& symbol, Span span, Column* out) = 0;
};

enum class Fn {
    Lag,
    Lead,
    Diff,
    Pct,
    Cumsum,
    Movsum,
    Movavg,
    Sum,
    Avg,
    Min,
    Max,
    First,
    Last,
    Convert,
    IsMissing,
    IsNC,
    IsND,
    IsNA,
    ReplaceMissing,
    Abs,
    Sqrt,
    Exp,
    Log,
    Round,
    DateOf,
    Year,
    Period
};

enum class Method { Begin, End, Average, Sum, High, Low };

enum class PlanOp { Constant, Read, Unary, Binary, If, Function };

struct Plan {
    PlanOp op = PlanOp::Constant;
    ValueType type;
    bool literal = false;      // a number written in the text: takes the other operand's type
    bool series = false;       // else one value
    int frequency = 0;         // of a series
    std::optional<Span> data;  // the observations the value can have (series)
    double constant = 0;
    std::string text;  // string constant
    Op oper = Op::Add;
    Fn fn = Fn::Abs;
    int64_t n = 0;  // lag count, window, digits
    Method method = Method::Average;
    Symbol symbol;  // Read
    std::vector<std::unique_ptr<Plan>> args;
};

// Checks `tree` (parsed from a text of database `home`) into a plan.
// Statuses: HNOOBJ (unknown name), HBFUNC (unknown function or wrong
// number of arguments), HBTYPE (operand types), HBFREQ (series of
// different frequencies), HBCNTX (a formula that reads itself, or
// formulas nested deeper than kMaxFormulaDepth), and those of parse for
// the texts of formulas it reads. `reading` names the formula being
// compiled (its identity), so that a formula naming itself is caught.
Status check(const Node& tree, Catalog& catalog, int home, const std::vector<std::string>& reading,
             std::unique_ptr<Plan>* plan);

// parse + check.
Status compile(const std::string& text, Catalog& catalog, int home,
               const std::vector<std::string>& reading, std::unique_ptr<Plan>* plan);

// The plan's values over `span` (of the plan's frequency; a scalar plan
// ignores it and gives one value): numbers in out->num, or texts in
// out->text for a string plan, one per observation (one for a scalar).
Status evaluate(const Plan& plan, Catalog& catalog, Span span, Column* out);

}  // namespace language
}  // namespace crqx
