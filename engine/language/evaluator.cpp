// Evaluation of a plan over a span: each node computes a whole column in
// one loop over arrays, so the cost per observation is a few arithmetic
// instructions per operator, never a walk of the tree.
#include <algorithm>
#include <cmath>

#include "calendar/convert.h"
#include "calendar/date_index.h"
#include "language/plan.h"

namespace crqx {
namespace language {
namespace {

// A scalar column (one value) is read at every position.
struct View {
    const double* data;
    size_t stride;
    double operator[](size_t i) const { return data[i * stride]; }
};
View view(const Column& c) { return {c.num.data(), c.num.size() == 1 ? size_t{0} : size_t{1}}; }

template <typename F>
void zip(const Column& a, const Column& b, size_t n, std::vector<double>* out, F f) {
    View x = view(a), y = view(b);
    out->resize(n);
    double* o = out->data();
    for (size_t i = 0; i < n; ++i) {
        double u = x[i], v = y[i];
        o[i] = (is_missing(u) || is_missing(v)) ? missing_of(u, v) : f(u, v);
    }
}

template <typename F>
void map(const Column& a, std::vector<double>* out, F f) {
    out->resize(a.num.size());
    for (size_t i = 0; i < a.num.size(); ++i) {
        double u = a.num[i];
        (*out)[i] = is_missing(u) ? u : f(u);
    }
}

int text_slot(const std::string& s) {
    if (s.empty() || s[0] != '\x7f') return -1;
    if (s == missing::kStringNC) return 0;
    if (s == missing::kStringND) return 1;
    if (s == missing::kStringNA) return 2;
    return -1;
}
const double kSlotCodes[3] = {kNC, kND, kNA};
const char* const kSlotTexts[3] = {missing::kStringNC, missing::kStringND, missing::kStringNA};

// The missing code of a window holding missing values, by the NC, ND, NA rule.
struct MissingCount {
    int64_t n[3] = {0, 0, 0};
    void add(double v, int64_t by) {
        if (v == kNC)
            n[0] += by;
        else if (v == kND)
            n[1] += by;
        else
            n[2] += by;
    }
    bool any() const { return n[0] + n[1] + n[2] > 0; }
    double code() const { return n[0] ? kNC : n[1] ? kND : kNA; }
};

class Evaluator {
public:
    explicit Evaluator(Catalog& catalog) : catalog_(catalog) {}

    Status eval(const Plan& p, Span span, Column* out) {
        if (!p.series) span = Span{0, 0};
        // Lags, running sums and conversions widen what an argument is read
        // over; keep that within reason.
        if (span.count() > kMaxEvaluation)
            return Status::Error(HBNRNG, "evaluation needs more than " +
                                             std::to_string(kMaxEvaluation) + " observations");
        switch (p.op) {
            case PlanOp::Constant:
                if (p.type.type == Type::String)
                    out->text.assign(1, p.text);
                else
                    out->num.assign(1, p.constant);
                return Status::OK();
            case PlanOp::Read: return catalog_.read(p.symbol, span, out);
            case PlanOp::Unary: return unary(p, span, out);
            case PlanOp::Binary: return binary(p, span, out);
            case PlanOp::If: return conditional(p, span, out);
            case PlanOp::Function: return function(p, span, out);
        }
        return Status::OK();
    }

private:
    size_t size_of(const Plan& p, Span span) const {
        return p.series ? static_cast<size_t>(span.count()) : 1;
    }

    Status unary(const Plan& p, Span span, Column* out) {
        CRQX_RETURN_IF_ERROR(eval(*p.args[0], span, out));
        if (p.oper == Op::Not)
            map(*out, &out->num, [](double v) { return 1.0 - v; });
        else
            map(*out, &out->num, [](double v) { return -v; });
        return Status::OK();
    }

    Status binary(const Plan& p, Span span, Column* out) {
        Column a, b;
        CRQX_RETURN_IF_ERROR(eval(*p.args[0], span, &a));
        CRQX_RETURN_IF_ERROR(eval(*p.args[1], span, &b));
        const size_t n = size_of(p, span);
        if (p.args[0]->type.type == Type::String) return text_binary(p.oper, a, b, n, out);
        // The result goes into an operand's array when one has its size
        // (each position is read before it is written): no new array.
        Column& into = a.num.size() == n ? a : b.num.size() == n ? b : *out;
        std::vector<double>* o = &into.num;
        switch (p.oper) {
            case Op::Add:
                if (p.type.type == Type::Date)
                    return date_shift(p.type.date_frequency, a, b, n, +1, out);
                zip(a, b, n, o, [](double u, double v) { return finite_or_nc(u + v); });
                break;
            case Op::Sub:
                if (p.type.type == Type::Date)
                    return date_shift(p.type.date_frequency, a, b, n, -1, out);
                zip(a, b, n, o, [](double u, double v) { return finite_or_nc(u - v); });
                break;
            case Op::Mul:
                zip(a, b, n, o, [](double u, double v) { return finite_or_nc(u * v); });
                break;
            case Op::Div:
                zip(a, b, n, o,
                    [](double u, double v) { return v == 0.0 ? kNC : finite_or_nc(u / v); });
                break;
            case Op::Pow:
                zip(a, b, n, o, [](double u, double v) { return finite_or_nc(std::pow(u, v)); });
                break;
            case Op::Eq: zip(a, b, n, o, [](double u, double v) { return double(u == v); }); break;
            case Op::Ne: zip(a, b, n, o, [](double u, double v) { return double(u != v); }); break;
            case Op::Lt: zip(a, b, n, o, [](double u, double v) { return double(u < v); }); break;
            case Op::Le: zip(a, b, n, o, [](double u, double v) { return double(u <= v); }); break;
            case Op::Gt: zip(a, b, n, o, [](double u, double v) { return double(u > v); }); break;
            case Op::Ge: zip(a, b, n, o, [](double u, double v) { return double(u >= v); }); break;
            case Op::And:
                zip(a, b, n, o, [](double u, double v) { return double(u != 0 && v != 0); });
                break;
            case Op::Or:
                zip(a, b, n, o, [](double u, double v) { return double(u != 0 || v != 0); });
                break;
            case Op::Neg:
            case Op::Not: break;
        }
        if (&into != out) out->num = std::move(into.num);
        return Status::OK();
    }

    // date ± number of periods (rounded), or date - date in periods.
    Status date_shift(int frequency, const Column& a, const Column& b, size_t n, int sign,
                      Column* out) {
        auto f = calendar::describe_frequency(frequency);
        zip(a, b, n, &out->num, [&](double u, double v) {
            double r = u + sign * std::round(v);
            if (f &&
                !calendar::in_span(*f, static_cast<int64_t>(std::fmax(std::fmin(r, 4e18), -4e18))))
                return kNC;
            return r;
        });
        return Status::OK();
    }

    Status text_binary(Op op, const Column& a, const Column& b, size_t n, Column* out) {
        const size_t sa = a.text.size() == 1 ? 0 : 1, sb = b.text.size() == 1 ? 0 : 1;
        if (op == Op::Add)
            out->text.resize(n);
        else
            out->num.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const std::string& u = a.text[i * sa];
            const std::string& v = b.text[i * sb];
            int su = text_slot(u), sv = text_slot(v);
            if (su >= 0 || sv >= 0) {
                int slot = std::min(su < 0 ? 3 : su, sv < 0 ? 3 : sv);
                if (op == Op::Add)
                    out->text[i] = kSlotTexts[slot];
                else
                    out->num[i] = kSlotCodes[slot];
                continue;
            }
            int c = u.compare(v);
            switch (op) {
                case Op::Add: out->text[i] = u + v; break;
                case Op::Eq: out->num[i] = c == 0; break;
                case Op::Ne: out->num[i] = c != 0; break;
                case Op::Lt: out->num[i] = c < 0; break;
                case Op::Le: out->num[i] = c <= 0; break;
                case Op::Gt: out->num[i] = c > 0; break;
                case Op::Ge: out->num[i] = c >= 0; break;
                default: break;
            }
        }
        return Status::OK();
    }

    Status conditional(const Plan& p, Span span, Column* out) {
        Column c, a, b;
        CRQX_RETURN_IF_ERROR(eval(*p.args[0], span, &c));
        CRQX_RETURN_IF_ERROR(eval(*p.args[1], span, &a));
        CRQX_RETURN_IF_ERROR(eval(*p.args[2], span, &b));
        const size_t n = size_of(p, span);
        View cond = view(c);
        if (p.type.type == Type::String) {
            const size_t sa = a.text.size() == 1 ? 0 : 1, sb = b.text.size() == 1 ? 0 : 1;
            out->text.resize(n);
            for (size_t i = 0; i < n; ++i) {
                double k = cond[i];
                if (is_missing(k))
                    out->text[i] = kSlotTexts[k == kNC ? 0 : k == kND ? 1 : 2];
                else
                    out->text[i] = k != 0 ? a.text[i * sa] : b.text[i * sb];
            }
            return Status::OK();
        }
        View x = view(a), y = view(b);
        out->num.resize(n);
        for (size_t i = 0; i < n; ++i) {
            double k = cond[i];
            out->num[i] = is_missing(k) ? k : k != 0 ? x[i] : y[i];
        }
        return Status::OK();
    }

    // The argument over the span moved back by `by` observations.
    Status shifted(const Plan& x, Span span, int64_t by, Column* out) {
        return eval(x, Span{span.first - by, span.last - by}, out);
    }

    // The argument over every observation it can have (aggregates).
    Status whole(const Plan& x, Column* out, bool* empty) {
        *empty = x.series && !x.data;
        if (*empty) return Status::OK();
        return eval(x, x.series ? *x.data : Span{0, 0}, out);
    }

    Status function(const Plan& p, Span span, Column* out) {
        const Plan& x = *p.args[0];
        const size_t n = size_of(p, span);
        Column a;
        switch (p.fn) {
            case Fn::Lag: return x.series ? shifted(x, span, p.n, out) : eval(x, span, out);
            case Fn::Lead: return x.series ? shifted(x, span, -p.n, out) : eval(x, span, out);
            case Fn::Diff:
            case Fn::Pct: {
                if (!x.series) {  // a scalar does not change
                    CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                    map(a, &out->num, [](double) { return 0.0; });
                    return Status::OK();
                }
                CRQX_RETURN_IF_ERROR(eval(x, Span{span.first - p.n, span.last}, &a));
                const double* v = a.num.data();
                out->num.resize(n);
                for (size_t i = 0; i < n; ++i) {
                    double now = v[i + p.n], before = v[i];
                    if (is_missing(now) || is_missing(before))
                        out->num[i] = missing_of(now, before);
                    else if (p.fn == Fn::Diff)
                        out->num[i] = finite_or_nc(now - before);
                    else
                        out->num[i] =
                            before == 0.0 ? kNC : finite_or_nc(100.0 * (now / before - 1.0));
                }
                return Status::OK();
            }
            case Fn::Cumsum: return cumulative(x, span, out);
            case Fn::Movsum:
            case Fn::Movavg: return moving(p, x, span, out);
            case Fn::Sum:
            case Fn::Avg:
            case Fn::Min:
            case Fn::Max:
            case Fn::First:
            case Fn::Last: return aggregate(p, x, out);
            case Fn::Convert: return convert(p, x, span, out);
            case Fn::IsMissing:
            case Fn::IsNC:
            case Fn::IsND:
            case Fn::IsNA: {
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                const double want = p.fn == Fn::IsNC ? kNC : p.fn == Fn::IsND ? kND : kNA;
                if (x.type.type == Type::String) {
                    out->num.resize(a.text.size());
                    for (size_t i = 0; i < a.text.size(); ++i) {
                        int slot = text_slot(a.text[i]);
                        out->num[i] = p.fn == Fn::IsMissing ? slot >= 0
                                                            : slot >= 0 && kSlotCodes[slot] == want;
                    }
                    return Status::OK();
                }
                out->num.resize(a.num.size());
                for (size_t i = 0; i < a.num.size(); ++i)
                    out->num[i] = p.fn == Fn::IsMissing ? is_missing(a.num[i]) : a.num[i] == want;
                return Status::OK();
            }
            case Fn::ReplaceMissing: {
                Column b;
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                CRQX_RETURN_IF_ERROR(eval(*p.args[1], span, &b));
                if (x.type.type == Type::String) {
                    const size_t sa = a.text.size() == 1 ? 0 : 1, sb = b.text.size() == 1 ? 0 : 1;
                    out->text.resize(n);
                    for (size_t i = 0; i < n; ++i)
                        out->text[i] =
                            text_slot(a.text[i * sa]) >= 0 ? b.text[i * sb] : a.text[i * sa];
                    return Status::OK();
                }
                View u = view(a), v = view(b);
                out->num.resize(n);
                for (size_t i = 0; i < n; ++i) out->num[i] = is_missing(u[i]) ? v[i] : u[i];
                return Status::OK();
            }
            case Fn::Abs:
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                map(a, &out->num, [](double v) { return std::fabs(v); });
                return Status::OK();
            case Fn::Sqrt:
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                map(a, &out->num, [](double v) { return v < 0 ? kNC : std::sqrt(v); });
                return Status::OK();
            case Fn::Exp:
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                map(a, &out->num, [](double v) { return finite_or_nc(std::exp(v)); });
                return Status::OK();
            case Fn::Log:
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                map(a, &out->num, [](double v) { return v <= 0 ? kNC : std::log(v); });
                return Status::OK();
            case Fn::Round: {
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                const double scale = std::pow(10.0, static_cast<double>(p.n));
                map(a, &out->num,
                    [&](double v) { return finite_or_nc(std::round(v * scale) / scale); });
                return Status::OK();
            }
            case Fn::DateOf:
                out->num.resize(n);
                for (size_t i = 0; i < n; ++i)
                    out->num[i] = static_cast<double>(span.first + static_cast<int64_t>(i));
                return Status::OK();
            case Fn::Year:
            case Fn::Period: {
                CRQX_RETURN_IF_ERROR(eval(x, span, &a));
                auto f = calendar::describe_frequency(x.type.date_frequency);
                map(a, &out->num, [&](double v) {
                    int year = 0, period = 0;
                    if (!f || !calendar::index_to_year_period(*f, static_cast<int32_t>(v),
                                                              calendar::kCalendarYear, year, period)
                                   .ok())
                        return kNC;
                    return static_cast<double>(p.fn == Fn::Year ? year : period);
                });
                return Status::OK();
            }
        }
        return Status::OK();
    }

    // Running sum from the argument's first observation; a missing value
    // gives its own code at its position and the sum goes on past it.
    Status cumulative(const Plan& x, Span span, Column* out) {
        const size_t n = static_cast<size_t>(span.count());
        if (!x.data || span.last < x.data->first) {
            out->num.assign(n, kND);
            return Status::OK();
        }
        Span from{std::min(span.first, x.data->first), span.last};
        Column a;
        CRQX_RETURN_IF_ERROR(eval(x, from, &a));
        out->num.resize(n);
        const size_t skip = static_cast<size_t>(span.first - from.first);
        double total = 0;
        for (size_t i = 0; i < a.num.size(); ++i) {
            double v = a.num[i];
            double r = v;
            if (!is_missing(v)) r = finite_or_nc(total += v);
            if (i >= skip)
                out->num[i - skip] =
                    (from.first + static_cast<int64_t>(i) < x.data->first) ? kND : r;
        }
        return Status::OK();
    }

    // Sum or average of the n observations ending at each one; missing when
    // any of them is.
    Status moving(const Plan& p, const Plan& x, Span span, Column* out) {
        const size_t n = static_cast<size_t>(span.count());
        const int64_t w = p.n;
        Column a;
        if (!x.series) {
            CRQX_RETURN_IF_ERROR(eval(x, span, &a));
            map(a, &out->num, [&](double v) {
                return p.fn == Fn::Movsum ? finite_or_nc(v * static_cast<double>(w)) : v;
            });
            return Status::OK();
        }
        CRQX_RETURN_IF_ERROR(eval(x, Span{span.first - w + 1, span.last}, &a));
        const double* v = a.num.data();
        out->num.resize(n);
        MissingCount missing;
        double total = 0;
        for (int64_t i = 0; i < static_cast<int64_t>(a.num.size()); ++i) {
            if (is_missing(v[i]))
                missing.add(v[i], +1);
            else
                total += v[i];
            if (i >= w) {
                if (is_missing(v[i - w]))
                    missing.add(v[i - w], -1);
                else
                    total -= v[i - w];
            }
            if (i < w - 1) continue;
            double r =
                missing.any()
                    ? missing.code()
                    : finite_or_nc(p.fn == Fn::Movsum ? total : total / static_cast<double>(w));
            out->num[static_cast<size_t>(i - w + 1)] = r;
            if (missing.any() == false && i % 1024 == 0) {  // keep rounding drift from piling up
                total = 0;
                for (int64_t k = i - w + 1; k <= i; ++k) total += v[k];
            }
        }
        return Status::OK();
    }

    // One value from all the argument's observations, missing ones skipped;
    // ND when there is none.
    Status aggregate(const Plan& p, const Plan& x, Column* out) {
        Column a;
        bool empty = false;
        CRQX_RETURN_IF_ERROR(whole(x, &a, &empty));
        if (x.type.type == Type::String) {
            std::string r = missing::kStringND;
            if (!empty) {
                for (const std::string& s : a.text) {
                    if (text_slot(s) >= 0) continue;
                    r = s;
                    if (p.fn == Fn::First) break;
                }
            }
            out->text.assign(1, r);
            return Status::OK();
        }
        double r = kND, total = 0;
        int64_t count = 0;
        for (double v : a.num) {
            if (is_missing(v)) continue;
            if (p.fn == Fn::First && count > 0) break;
            ++count;
            total += v;
            if (p.fn == Fn::Min)
                r = count == 1 ? v : std::min(r, v);
            else if (p.fn == Fn::Max)
                r = count == 1 ? v : std::max(r, v);
            else if (p.fn == Fn::First || p.fn == Fn::Last)
                r = v;
        }
        if (count > 0 && p.fn == Fn::Sum) r = finite_or_nc(total);
        if (count > 0 && p.fn == Fn::Avg) r = finite_or_nc(total / static_cast<double>(count));
        out->num.assign(1, r);
        return Status::OK();
    }

    // Frequency change. To a coarser (or unrelated) frequency each target
    // period gathers the source observations whose last instant it holds
    // and reduces them by the method; any missing one makes it missing. To
    // a finer frequency each target period takes the value of the source
    // period holding it (SUM spreads it evenly over the target periods).
    Status convert(const Plan& p, const Plan& x, Span span, Column* out) {
        auto from = calendar::describe_frequency(x.frequency);
        auto to = calendar::describe_frequency(p.frequency);
        const size_t n = static_cast<size_t>(span.count());
        out->num.assign(n, kND);
        if (!from || !to) return Status::Error(HBFREQ, "bad frequency in CONVERT");
        auto carry = [](const calendar::Frequency& a, int64_t i, int select,
                        const calendar::Frequency& b, int relate, int64_t* r) {
            if (!calendar::in_span(a, i)) return false;
            int32_t t = 0;
            if (!calendar::change_frequency(a, static_cast<int32_t>(i), select, b, relate, t).ok())
                return false;
            *r = t;
            return true;
        };
        const bool finer = x.frequency != p.frequency && calendar::frequency_divides(*to, *from);
        if (finer) {
            Column a;
            int64_t s0 = 0, s1 = 0;
            if (!carry(*to, span.first, HBEGIN, *from, HAFTER, &s0) ||
                !carry(*to, span.last, HEND, *from, HBEFOR, &s1) || s1 < s0)
                return Status::OK();
            CRQX_RETURN_IF_ERROR(eval(x, Span{s0, s1}, &a));
            for (size_t i = 0; i < n; ++i) {
                int64_t s = 0, t0 = 0, t1 = 0;
                if (!carry(*to, span.first + static_cast<int64_t>(i), HEND, *from, HBEFOR, &s) ||
                    s < s0 || s > s1)
                    continue;
                double v = a.num[static_cast<size_t>(s - s0)];
                if (p.method == Method::Sum && !is_missing(v) &&
                    carry(*from, s, HBEGIN, *to, HAFTER, &t0) &&
                    carry(*from, s, HEND, *to, HBEFOR, &t1) && t1 >= t0)
                    v /= static_cast<double>(t1 - t0 + 1);
                out->num[i] = v;
            }
            return Status::OK();
        }
        int64_t s0 = 0, s1 = 0;
        if (!carry(*to, span.first, HBEGIN, *from, HAFTER, &s0) ||
            !carry(*to, span.last, HEND, *from, HBEFOR, &s1))
            return Status::OK();
        if (s1 < s0) return Status::OK();
        Column a;
        CRQX_RETURN_IF_ERROR(eval(x, Span{s0, s1}, &a));
        std::vector<int64_t> count(n, 0);
        std::vector<double> acc(n, 0.0);
        MissingCount none;
        std::vector<MissingCount> missing(n, none);
        for (int64_t s = s0; s <= s1; ++s) {
            int64_t t = 0;
            if (!carry(*from, s, HEND, *to, HBEFOR, &t) || t < span.first || t > span.last)
                continue;
            size_t i = static_cast<size_t>(t - span.first);
            double v = a.num[static_cast<size_t>(s - s0)];
            if (is_missing(v)) {
                missing[i].add(v, 1);
                continue;
            }
            double& r = acc[i];
            switch (p.method) {
                case Method::Begin:
                    if (count[i] == 0) r = v;
                    break;
                case Method::End: r = v; break;
                case Method::Average:
                case Method::Sum: r += v; break;
                case Method::High: r = count[i] == 0 ? v : std::max(r, v); break;
                case Method::Low: r = count[i] == 0 ? v : std::min(r, v); break;
            }
            ++count[i];
        }
        for (size_t i = 0; i < n; ++i) {
            if (missing[i].any())
                out->num[i] = missing[i].code();
            else if (count[i] == 0)
                out->num[i] = kND;
            else
                out->num[i] = p.method == Method::Average ? acc[i] / static_cast<double>(count[i])
                                                          : finite_or_nc(acc[i]);
        }
        return Status::OK();
    }

    Catalog& catalog_;
};

}  // namespace

Status evaluate(const Plan& plan, Catalog& catalog, Span span, Column* out) {
    if (plan.series && span.count() < 1)
        return Status::Error(HBNRNG, "the span to evaluate is empty");
    CRQX_RETURN_IF_ERROR(Evaluator(catalog).eval(plan, span, out));
    // Callers index the column by observation: its shape is checked once here.
    const size_t want = plan.series ? static_cast<size_t>(span.count()) : 1;
    const size_t got = plan.type.type == Type::String ? out->text.size() : out->num.size();
    if (got != want)
        return Status::Error(HIFAIL, "evaluation gave " + std::to_string(got) + " values for " +
                                         std::to_string(want));
    return Status::OK();
}

}  // namespace language
}  // namespace crqx
