// The checker: types, frequencies and the span of observations of every
// node, function arity and constant arguments, and formulas inlined with
// a guard against cycles.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "calendar/convert.h"
#include "calendar/frequency.h"
#include "language/plan.h"

namespace crqx {
namespace language {
namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string at(const Node& n) { return " at position " + std::to_string(n.position); }

struct FunctionDef {
    const char* name;
    Fn fn;
    int min_args;
    int max_args;
};

const FunctionDef kFunctions[] = {
    {"LAG", Fn::Lag, 2, 2},
    {"LEAD", Fn::Lead, 2, 2},
    {"DIFF", Fn::Diff, 1, 2},
    {"PCT", Fn::Pct, 1, 2},
    {"CUMSUM", Fn::Cumsum, 1, 1},
    {"MOVSUM", Fn::Movsum, 2, 2},
    {"MOVAVG", Fn::Movavg, 2, 2},
    {"SUM", Fn::Sum, 1, 1},
    {"AVG", Fn::Avg, 1, 1},
    {"MIN", Fn::Min, 1, 1},
    {"MAX", Fn::Max, 1, 1},
    {"FIRST", Fn::First, 1, 1},
    {"LAST", Fn::Last, 1, 1},
    {"CONVERT", Fn::Convert, 2, 3},
    {"ISMISSING", Fn::IsMissing, 1, 1},
    {"ISNC", Fn::IsNC, 1, 1},
    {"ISND", Fn::IsND, 1, 1},
    {"ISNA", Fn::IsNA, 1, 1},
    {"REPLACEMISSING", Fn::ReplaceMissing, 2, 2},
    {"ABS", Fn::Abs, 1, 1},
    {"SQRT", Fn::Sqrt, 1, 1},
    {"EXP", Fn::Exp, 1, 1},
    {"LOG", Fn::Log, 1, 1},
    {"ROUND", Fn::Round, 1, 2},
    {"DATE", Fn::DateOf, 1, 1},
    {"YEAR", Fn::Year, 1, 1},
    {"PERIOD", Fn::Period, 1, 1},
};

const std::pair<const char*, Method> kMethods[] = {
    {"BEGIN", Method::Begin}, {"END", Method::End},   {"AVERAGE", Method::Average},
    {"SUM", Method::Sum},     {"HIGH", Method::High}, {"LOW", Method::Low}};

Method method_of_observed(int observed) {
    switch (observed) {
        case HOBBEG: return Method::Begin;
        case HOBEND: return Method::End;
        case HOBSUM: return Method::Sum;
        case HOBHI: return Method::High;
        case HOBLO: return Method::Low;
        default: return Method::Average;
    }
}

bool is_number(const ValueType& t) { return t.type == Type::Numeric || t.type == Type::Precision; }

std::optional<Span> shifted(std::optional<Span> s, int64_t by) {
    if (!s) return s;
    return Span{s->first + by, s->last + by};
}

// The observations of a function that needs `back` earlier ones too: it
// has values only where all of them can have one.
std::optional<Span> narrowed(std::optional<Span> s, int64_t back) {
    if (!s || s->first + back > s->last) return std::nullopt;
    return Span{s->first + back, s->last};
}

std::optional<Span> joined(const std::optional<Span>& a, const std::optional<Span>& b) {
    if (!a) return b;
    if (!b) return a;
    return Span{std::min(a->first, b->first), std::max(a->last, b->last)};
}

class Checker {
public:
    Checker(Catalog& catalog, std::vector<std::string> reading)
        : catalog_(catalog), reading_(std::move(reading)) {}

    Status node(const Node& n, int home, std::unique_ptr<Plan>* out) {
        // Long operator chains and inlined formulas deepen the plan beyond
        // what the parser bounds; the evaluator recurses along it.
        if (depth_ >= kMaxPlanDepth)
            return Status::Error(HBCNTX, "the expression nests deeper than " +
                                             std::to_string(kMaxPlanDepth) + " operations" + at(n));
        ++depth_;
        Status s = build(n, home, out);
        --depth_;
        return s;
    }

private:
    Status build(const Node& n, int home, std::unique_ptr<Plan>* out) {
        auto p = std::make_unique<Plan>();
        switch (n.kind) {
            case NodeKind::Number:
                p->type = {Type::Precision, 0};
                p->literal = true;
                p->constant = n.number;
                break;
            case NodeKind::Missing:
                p->type = {Type::Precision, 0};
                p->literal = true;
                p->constant = n.number;
                break;
            case NodeKind::Boolean:
                p->type = {Type::Boolean, 0};
                p->constant = n.number;
                break;
            case NodeKind::String:
                p->type = {Type::String, 0};
                p->text = n.text;
                break;
            case NodeKind::Date:
                p->type = {Type::Date, n.frequency};
                p->constant = n.number;
                break;
            case NodeKind::Name: return name(n, home, out);
            case NodeKind::Unary: CRQX_RETURN_IF_ERROR(unary(n, home, p.get())); break;
            case NodeKind::Binary: CRQX_RETURN_IF_ERROR(binary(n, home, p.get())); break;
            case NodeKind::If: CRQX_RETURN_IF_ERROR(conditional(n, home, p.get())); break;
            case NodeKind::Call: CRQX_RETURN_IF_ERROR(call(n, home, p.get())); break;
        }
        *out = std::move(p);
        return Status::OK();
    }

    Status args(const Node& n, int home, Plan* p) {
        for (const auto& a : n.args) {
            p->args.emplace_back();
            CRQX_RETURN_IF_ERROR(node(*a, home, &p->args.back()));
        }
        return Status::OK();
    }

    Status name(const Node& n, int home, std::unique_ptr<Plan>* out) {
        Symbol s;
        Status found = catalog_.lookup(n.qualifier, n.text, home, &s);
        if (!found.ok()) return Status::Error(found.code(), found.message() + at(n));
        if (s.kind == Symbol::Kind::Stored) {
            auto p = std::make_unique<Plan>();
            p->op = PlanOp::Read;
            p->type = s.type;
            p->series = s.series;
            p->frequency = s.frequency;
            p->data = s.data;
            p->symbol = std::move(s);
            *out = std::move(p);
            return Status::OK();
        }
        // A formula: its own plan stands in for its name.
        if (std::find(reading_.begin(), reading_.end(), s.identity) != reading_.end())
            return Status::Error(HBCNTX, "formula '" + s.name + "' reads itself" + at(n));
        if (reading_.size() >= static_cast<size_t>(kMaxFormulaDepth))
            return Status::Error(
                HBCNTX, "formulas nest deeper than " + std::to_string(kMaxFormulaDepth) + at(n));
        std::unique_ptr<Node> tree;
        Status parsed = parse(s.source, &tree);
        if (!parsed.ok())
            return Status::Error(parsed.code(), "in formula '" + s.name + "': " + parsed.message());
        reading_.push_back(s.identity);
        Status checked = node(*tree, s.database, out);
        reading_.pop_back();
        if (!checked.ok() && checked.message().find("in formula") != 0)
            return Status::Error(checked.code(),
                                 "in formula '" + s.name + "': " + checked.message());
        return checked;
    }

    // The type of an arithmetic result: precision when either side is, and
    // a number written in the text takes the other side's type.
    static ValueType arithmetic_type(const Plan& a, const Plan& b) {
        if (a.literal) return b.type;
        if (b.literal) return a.type;
        if (a.type.type == Type::Precision || b.type.type == Type::Precision)
            return {Type::Precision, 0};
        return {Type::Numeric, 0};
    }

    // Series operands share a frequency; the result is a series if either is.
    Status align(const Node& n, Plan* p) {
        const Plan* series = nullptr;
        for (const auto& a : p->args) {
            if (!a->series) continue;
            if (series && series->frequency != a->frequency)
                return Status::Error(HBFREQ, "series of frequencies " +
                                                 calendar::frequency_name(series->frequency) +
                                                 " and " + calendar::frequency_name(a->frequency) +
                                                 " meet" + at(n) + " (use convert)");
            series = a.get();
            p->data = joined(p->data, a->data);
        }
        p->series = series != nullptr;
        p->frequency = series ? series->frequency : 0;
        return Status::OK();
    }

    Status type_error(const Node& n, const std::string& what) {
        return Status::Error(HBTYPE, what + at(n));
    }

    Status unary(const Node& n, int home, Plan* p) {
        p->op = PlanOp::Unary;
        p->oper = n.op;
        CRQX_RETURN_IF_ERROR(args(n, home, p));
        const Plan& a = *p->args[0];
        CRQX_RETURN_IF_ERROR(align(n, p));
        p->literal = a.literal;
        if (n.op == Op::Not) {
            if (a.type.type != Type::Boolean)
                return type_error(
                    n, "NOT needs a boolean, not " + std::string(type_name(a.type.type)));
            p->type = a.type;
            return Status::OK();
        }
        if (!is_number(a.type))
            return type_error(
                n, "unary minus needs a number, not " + std::string(type_name(a.type.type)));
        p->type = a.type;
        return Status::OK();
    }

    Status binary(const Node& n, int home, Plan* p) {
        p->op = PlanOp::Binary;
        p->oper = n.op;
        CRQX_RETURN_IF_ERROR(args(n, home, p));
        CRQX_RETURN_IF_ERROR(align(n, p));
        const Plan& a = *p->args[0];
        const Plan& b = *p->args[1];
        const Type ta = a.type.type, tb = b.type.type;
        const std::string mismatch = std::string("operator ") + op_text(n.op) + " does not take " +
                                     type_name(ta) + " and " + type_name(tb);
        switch (n.op) {
            case Op::And:
            case Op::Or:
                if (ta != Type::Boolean || tb != Type::Boolean) return type_error(n, mismatch);
                p->type = {Type::Boolean, 0};
                return Status::OK();
            case Op::Eq:
            case Op::Ne:
            case Op::Lt:
            case Op::Le:
            case Op::Gt:
            case Op::Ge: {
                bool comparable = (is_number(a.type) && is_number(b.type)) || a.type == b.type;
                if (!comparable) return type_error(n, mismatch);
                p->type = {Type::Boolean, 0};
                return Status::OK();
            }
            case Op::Add:
                if (ta == Type::String && tb == Type::String) {
                    p->type = a.type;
                    return Status::OK();
                }
                if (ta == Type::Date && is_number(b.type)) return p->type = a.type, Status::OK();
                if (tb == Type::Date && is_number(a.type)) return p->type = b.type, Status::OK();
                break;
            case Op::Sub:
                if (ta == Type::Date && is_number(b.type)) return p->type = a.type, Status::OK();
                if (ta == Type::Date && a.type == b.type)
                    return p->type = {Type::Numeric, 0}, Status::OK();
                break;
            default: break;
        }
        if (!is_number(a.type) || !is_number(b.type)) return type_error(n, mismatch);
        p->type = arithmetic_type(a, b);
        p->literal = a.literal && b.literal;
        return Status::OK();
    }

    Status conditional(const Node& n, int home, Plan* p) {
        p->op = PlanOp::If;
        CRQX_RETURN_IF_ERROR(args(n, home, p));
        CRQX_RETURN_IF_ERROR(align(n, p));
        const Plan& c = *p->args[0];
        const Plan& a = *p->args[1];
        const Plan& b = *p->args[2];
        if (c.type.type != Type::Boolean)
            return type_error(
                n, "IF needs a boolean condition, not " + std::string(type_name(c.type.type)));
        if (is_number(a.type) && is_number(b.type)) {
            p->type = arithmetic_type(a, b);
            p->literal = a.literal && b.literal;
        } else if (a.literal && b.type.type == Type::Date) {  // IF .. THEN NA ELSE date
            p->type = b.type;
        } else if (b.literal && a.type.type == Type::Date) {
            p->type = a.type;
        } else if (a.type == b.type) {
            p->type = a.type;
        } else {
            return type_error(n, std::string("THEN gives ") + type_name(a.type.type) +
                                     " but ELSE gives " + type_name(b.type.type));
        }
        return Status::OK();
    }

    // A whole number written in the text (lags, windows, digits).
    Status count_argument(const Node& call, size_t i, int64_t min, int64_t* out) {
        const Node& a = *call.args[i];
        double v = a.number;
        bool negative =
            a.kind == NodeKind::Unary && a.op == Op::Neg && a.args[0]->kind == NodeKind::Number;
        if (negative) v = -a.args[0]->number;
        if ((a.kind != NodeKind::Number && !negative) || v != std::floor(v) ||
            v < static_cast<double>(min) || std::fabs(v) > 1e9)
            return Status::Error(
                HBFUNC, "argument " + std::to_string(i + 1) + " of " + upper(call.text) +
                            " must be a whole number of at least " + std::to_string(min) + at(a));
        *out = static_cast<int64_t>(v);
        return Status::OK();
    }

    Status word_argument(const Node& call, size_t i, std::string* out) {
        const Node& a = *call.args[i];
        if (a.kind != NodeKind::Name || !a.qualifier.empty())
            return Status::Error(HBFUNC, "argument " + std::to_string(i + 1) + " of " +
                                             upper(call.text) + " must be a word" + at(a));
        *out = upper(a.text);
        return Status::OK();
    }

    Status convert(const Node& n, int home, Plan* p) {
        p->args.emplace_back();
        CRQX_RETURN_IF_ERROR(node(*n.args[0], home, &p->args.back()));
        const Plan& x = *p->args[0];
        std::string word;
        CRQX_RETURN_IF_ERROR(word_argument(n, 1, &word));
        int frequency = 0;
        if (!calendar::parse_frequency(word, frequency).ok())
            return Status::Error(HBFREQ, "unknown frequency " + word + at(*n.args[1]));
        if (!x.series) return type_error(n, "CONVERT needs a series");
        if (!is_number(x.type))
            return type_error(n,
                              "CONVERT needs numbers, not " + std::string(type_name(x.type.type)));
        p->method = method_of_observed(x.op == PlanOp::Read ? x.symbol.observed : 0);
        if (n.args.size() == 3) {
            CRQX_RETURN_IF_ERROR(word_argument(n, 2, &word));
            auto m = std::find_if(std::begin(kMethods), std::end(kMethods),
                                  [&](const auto& e) { return word == e.first; });
            if (m == std::end(kMethods))
                return Status::Error(HBFUNC, "unknown method " + word +
                                                 " (BEGIN, END, AVERAGE, SUM, HIGH, LOW)" +
                                                 at(*n.args[2]));
            p->method = m->second;
        }
        auto from = calendar::describe_frequency(x.frequency);
        auto to = calendar::describe_frequency(frequency);
        if (!from || !to || calendar::is_dated(*from) != calendar::is_dated(*to))
            return Status::Error(HBFREQ, "CONVERT cannot carry " +
                                             calendar::frequency_name(x.frequency) + " to " + word +
                                             at(n));
        p->type = x.type;
        p->series = true;
        p->frequency = frequency;
        p->data.reset();
        if (x.data) {  // the target periods the source observations fall in
            int32_t first = 0, last = 0;
            if (calendar::change_frequency(*from, static_cast<int32_t>(x.data->first), HBEGIN, *to,
                                           HBEFOR, first)
                    .ok() &&
                calendar::change_frequency(*from, static_cast<int32_t>(x.data->last), HEND, *to,
                                           HAFTER, last)
                    .ok())
                p->data = Span{first, last};
        }
        return Status::OK();
    }

    Status call(const Node& n, int home, Plan* p) {
        const std::string fname = upper(n.text);
        auto def = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                                [&](const FunctionDef& d) { return fname == d.name; });
        if (def == std::end(kFunctions))
            return Status::Error(HBFUNC, "unknown function " + fname + at(n));
        const int count = static_cast<int>(n.args.size());
        if (count < def->min_args || count > def->max_args)
            return Status::Error(
                HBFUNC,
                fname + " takes " + std::to_string(def->min_args) +
                    (def->max_args != def->min_args ? " or " + std::to_string(def->max_args) : "") +
                    " arguments, not " + std::to_string(count) + at(n));
        p->op = PlanOp::Function;
        p->fn = def->fn;
        if (def->fn == Fn::Convert) return convert(n, home, p);
        // Count arguments stay out of the plan's operands.
        const bool counted = def->fn == Fn::Lag || def->fn == Fn::Lead || def->fn == Fn::Diff ||
                             def->fn == Fn::Pct || def->fn == Fn::Movsum || def->fn == Fn::Movavg ||
                             def->fn == Fn::Round;
        p->n = (def->fn == Fn::Round) ? 0 : 1;
        if (counted && count == 2) {
            int64_t min = (def->fn == Fn::Movsum || def->fn == Fn::Movavg) ? 1
                          : (def->fn == Fn::Lag || def->fn == Fn::Lead)    ? -1000000000
                                                                           : 0;
            if (def->fn == Fn::Round) min = -15;
            CRQX_RETURN_IF_ERROR(count_argument(n, 1, min, &p->n));
        }
        for (int i = 0; i < (counted ? 1 : count); ++i) {
            p->args.emplace_back();
            CRQX_RETURN_IF_ERROR(node(*n.args[i], home, &p->args.back()));
        }
        CRQX_RETURN_IF_ERROR(align(n, p));
        return function_type(n, fname, p);
    }

    Status function_type(const Node& n, const std::string& fname, Plan* p) {
        const Plan& x = *p->args[0];
        const ValueType t = x.type;
        auto need_number = [&]() -> Status {
            if (is_number(t)) return Status::OK();
            return type_error(n, fname + " needs numbers, not " + std::string(type_name(t.type)));
        };
        p->type = t;
        p->literal = x.literal;
        switch (p->fn) {
            case Fn::Lag:
            case Fn::Lead: {
                int64_t by = p->fn == Fn::Lag ? p->n : -p->n;
                p->data = shifted(x.data, by);
                return Status::OK();
            }
            case Fn::Diff:
            case Fn::Pct:
                CRQX_RETURN_IF_ERROR(need_number());
                p->data = narrowed(x.data, p->n);
                return Status::OK();
            case Fn::Cumsum: return need_number();
            case Fn::Movsum:
            case Fn::Movavg:
                CRQX_RETURN_IF_ERROR(need_number());
                p->data = narrowed(x.data, p->n - 1);
                return Status::OK();
            case Fn::Sum:
            case Fn::Avg:
                CRQX_RETURN_IF_ERROR(need_number());
                p->series = false, p->data.reset();
                return Status::OK();
            case Fn::Min:
            case Fn::Max:
            case Fn::First:
            case Fn::Last:
                if (t.type == Type::String && (p->fn == Fn::Min || p->fn == Fn::Max))
                    return need_number();
                p->series = false, p->data.reset();
                return Status::OK();
            case Fn::IsMissing:
            case Fn::IsNC:
            case Fn::IsND:
            case Fn::IsNA:
                p->type = {Type::Boolean, 0};
                p->literal = false;
                return Status::OK();
            case Fn::ReplaceMissing: {
                const Plan& v = *p->args[1];
                if (is_number(t) && is_number(v.type))
                    p->type = arithmetic_type(x, v);
                else if (t != v.type)
                    return type_error(n, "REPLACEMISSING needs a replacement of the same type");
                p->data = joined(x.data, v.data);
                return Status::OK();
            }
            case Fn::Abs:
            case Fn::Sqrt:
            case Fn::Exp:
            case Fn::Log:
            case Fn::Round: return need_number();
            case Fn::DateOf:
                if (!x.series) return type_error(n, "DATE needs a series");
                p->type = {Type::Date, x.frequency};
                p->literal = false;
                return Status::OK();
            case Fn::Year:
            case Fn::Period:
                if (t.type != Type::Date || t.date_frequency == 0)
                    return type_error(n, fname + " needs dates of a frequency, not " +
                                             std::string(type_name(t.type)));
                p->type = {Type::Numeric, 0};
                return Status::OK();
            case Fn::Convert: break;
        }
        return Status::OK();
    }

    Catalog& catalog_;
    std::vector<std::string> reading_;
    int depth_ = 0;
};

}  // namespace

Status check(const Node& tree, Catalog& catalog, int home, const std::vector<std::string>& reading,
             std::unique_ptr<Plan>* plan) {
    return Checker(catalog, reading).node(tree, home, plan);
}

Status compile(const std::string& text, Catalog& catalog, int home,
               const std::vector<std::string>& reading, std::unique_ptr<Plan>* plan) {
    std::unique_ptr<Node> tree;
    CRQX_RETURN_IF_ERROR(parse(text, &tree));
    return check(*tree, catalog, home, reading, plan);
}

}  // namespace language
}  // namespace crqx
