// The expression language on a catalog of a few in-memory series: text to
// values, text to status (and position), grouped by feature.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "language/plan.h"

using namespace crqx;
using namespace crqx::language;

namespace {

const double NC = kNC, ND = kND, NA = kNA;
constexpr int kJan2020 = 600;  // monthly index of 2020M01

struct FakeSeries {
    ValueType type;
    int frequency;  // 0: a scalar
    int64_t first;
    std::vector<double> values;
    std::vector<std::string> texts;
    int observed = HOBUND;
};

// Names: A, B, C monthly from 2020M01; Q quarterly; S a scalar; T strings;
// D dates; formulas F, SELF, LOOP1/LOOP2, and a chain DEEP1..DEEP20.
class FakeCatalog : public Catalog {
public:
    std::map<std::string, FakeSeries> series;
    std::map<std::string, std::string> formulas;
    int reads = 0;

    FakeCatalog() {
        series["A"] = {{Type::Numeric, 0}, HMONTH, kJan2020, {1, 2, 3, ND, 5, 6}, {}};
        series["B"] = {{Type::Precision, 0}, HMONTH, kJan2020, {10, 20, NA, 40, 50, 60}, {}};
        series["C"] = {{Type::Numeric, 0}, HMONTH, kJan2020 + 2, {2, 0, -4}, {}};
        series["Q"] = {{Type::Numeric, 0}, HQTDEC, 200, {7, 8}, {}};
        series["S"] = {{Type::Precision, 0}, 0, 0, {2.5}, {}};
        series["T"] = {{Type::String, 0}, HMONTH, kJan2020, {}, {"x", "y", missing::kStringNA}};
        series["D"] = {{Type::Date, HMONTH}, HMONTH, kJan2020, {700, 701}, {}};
        series["BOOL"] = {{Type::Boolean, 0}, HMONTH, kJan2020, {1, 0, ND}, {}};
        formulas["F"] = "A * 2";
        formulas["SELF"] = "SELF + 1";
        formulas["LOOP1"] = "LOOP2";
        formulas["LOOP2"] = "1 + LOOP1";
        formulas["BAD"] = "1 +";
        formulas["DEEP1"] = "A";
        for (int i = 2; i <= 20; ++i)
            formulas["DEEP" + std::to_string(i)] = "DEEP" + std::to_string(i - 1) + " + 1";
    }

    Status lookup(const std::string& qualifier, const std::string& name, int,
                  Symbol* out) override {
        std::string key = name;
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!qualifier.empty() && qualifier != "home")
            return Status::Error(HNOOBJ, "no database " + qualifier);
        out->name = key;
        out->identity = "0:" + key;
        if (formulas.count(key)) {
            out->kind = Symbol::Kind::Formula;
            out->source = formulas[key];
            return Status::OK();
        }
        auto it = series.find(key);
        if (it == series.end()) return Status::Error(HNOOBJ, "no object " + name);
        const FakeSeries& s = it->second;
        out->kind = Symbol::Kind::Stored;
        out->type = s.type;
        out->series = s.frequency != 0;
        out->frequency = s.frequency;
        out->observed = s.observed;
        size_t n = s.type.type == Type::String ? s.texts.size() : s.values.size();
        if (out->series) out->data = Span{s.first, s.first + static_cast<int64_t>(n) - 1};
        return Status::OK();
    }

    Status read(const Symbol& symbol, Span span, Column* out) override {
        ++reads;
        const FakeSeries& s = series.at(symbol.name);
        if (!symbol.series) {
            out->num = s.values;
            return Status::OK();
        }
        for (int64_t i = span.first; i <= span.last; ++i) {
            int64_t k = i - s.first;
            if (s.type.type == Type::String)
                out->text.push_back(k >= 0 && k < static_cast<int64_t>(s.texts.size())
                                        ? s.texts[k]
                                        : missing::kStringND);
            else
                out->num.push_back(k >= 0 && k < static_cast<int64_t>(s.values.size()) ? s.values[k]
                                                                                       : ND);
        }
        return Status::OK();
    }
};

Status run(FakeCatalog& catalog, const std::string& text, Span span, Column* out,
           std::unique_ptr<Plan>* plan) {
    CRQX_RETURN_IF_ERROR(compile(text, catalog, 1, {}, plan));
    return evaluate(**plan, catalog, span, out);
}

std::string show(const std::vector<double>& v) {
    std::string s;
    for (double x : v) {
        s += s.empty() ? "" : " ";
        s += x == NC ? "NC" : x == ND ? "ND" : x == NA ? "NA" : std::to_string(x);
    }
    return s;
}

void expect_values(const std::string& text, const std::vector<double>& want,
                   Span span = {kJan2020, kJan2020 + 5}) {
    FakeCatalog catalog;
    Column got;
    std::unique_ptr<Plan> plan;
    Status s = run(catalog, text, span, &got, &plan);
    ASSERT_TRUE(s.ok()) << text << ": " << s.message();
    ASSERT_EQ(want.size(), got.num.size()) << text << " gave " << show(got.num);
    for (size_t i = 0; i < want.size(); ++i) {
        if (is_missing(want[i]))
            EXPECT_EQ(want[i], got.num[i]) << text << " [" << i << "] gave " << show(got.num);
        else
            EXPECT_NEAR(want[i], got.num[i], 1e-9 * std::fmax(1, std::fabs(want[i])))
                << text << " [" << i << "] gave " << show(got.num);
    }
}

struct Golden {
    const char* text;
    std::vector<double> want;
};

void expect_table(const std::vector<Golden>& rows) {
    for (const Golden& g : rows) expect_values(g.text, g.want);
}

TEST(LanguageValues, LiteralsAndConstants) {
    expect_table({
        {"1.5", {1.5}},
        {"2e3", {2000}},
        {"2.5E-1", {0.25}},
        {"7.", {7}},
        {".25", {0.25}},
        {"TRUE", {1}},
        {"false", {0}},
        {"NC", {NC}},
        {"nd", {ND}},
        {"NA", {NA}},
        {"[MONTHLY 2020M03]", {kJan2020 + 2}},
        {"[DAILY 1970-01-02] - [DAILY 1970-01-01]", {1}},
        {"[15 MINUTELY 2036-01-01 00:30] - [15 MINUTELY 2036-01-01T00:00]", {2}},
        {"S", {2.5}},
    });
}

TEST(LanguageValues, ArithmeticPrecedenceAndAssociativity) {
    expect_table({
        {"1 + 2 * 3", {7}},
        {"(1 + 2) * 3", {9}},
        {"2 ^ 3 ^ 2", {512}},
        {"-2 ^ 2", {-4}},
        {"10 - 4 - 3", {3}},
        {"12 / 3 / 2", {2}},
        {"--3", {3}},
        {"+3", {3}},
        {"S * 2", {5}},
    });
}

TEST(LanguageValues, MissingValuesPropagateNCOverNDOverNA) {
    expect_table({
        {"A + B", {11, 22, NA, ND, 55, 66}},
        {"NC + ND", {NC}},
        {"NA * ND", {ND}},
        {"NA - 1", {NA}},
        {"1 / 0", {NC}},
        {"0 / 0", {NC}},
        {"log(-1)", {NC}},
        {"log(0)", {NC}},
        {"sqrt(-4)", {NC}},
        {"(-8) ^ 0.5", {NC}},
        {"exp(1000)", {NC}},
        {"10 ^ 400", {NC}},
        {"A / (A - A)", {NC, NC, NC, ND, NC, NC}},
        {"-A", {-1, -2, -3, ND, -5, -6}},
    });
}

TEST(LanguageValues, ComparisonsLogicAndConditionals) {
    expect_table({
        {"A > 2", {0, 0, 1, ND, 1, 1}},
        {"A = 2 OR A = 5", {0, 1, 0, ND, 1, 0}},
        {"NOT A >= 3", {1, 1, 0, ND, 0, 0}},
        {"A < 3 AND B > 10", {0, 1, NA, ND, 0, 0}},
        {"IF A > 2 THEN A ELSE -A", {-1, -2, 3, ND, 5, 6}},
        {"IF TRUE THEN 1 ELSE 2", {1}},
        {"IF A <> 2 THEN 1 ELSE NA", {1, NA, 1, ND, 1, 1}},
        {"T = \"x\"", {1, 0, NA, ND, ND, ND}},
        {"BOOL AND TRUE", {1, 0, ND, ND, ND, ND}},
    });
}

TEST(LanguageValues, LagsLeadsDifferences) {
    expect_table({
        {"lag(A, 1)", {ND, 1, 2, 3, ND, 5}},
        {"lead(A, 2)", {3, ND, 5, 6, ND, ND}},
        {"lag(A, -1)", {2, 3, ND, 5, 6, ND}},
        {"diff(A)", {ND, 1, 1, ND, ND, 1}},
        {"diff(B, 2)", {ND, ND, NA, 20, NA, 20}},
        {"pct(A)", {ND, 100, 50, ND, ND, 20}},
        {"pct(C)", {ND, ND, ND, -100, NC, ND}},
        {"(A + B) / lag(C, 1)", {ND, ND, ND, ND, NC, -16.5}},
        {"lag(S, 3)", {2.5}},
    });
}

TEST(LanguageValues, CumulativeAndMovingWindows) {
    expect_table({
        {"cumsum(A)", {1, 3, 6, ND, 11, 17}},
        {"movsum(A, 2)", {ND, 3, 5, ND, ND, 11}},
        {"movavg(B, 2)", {ND, 15, NA, NA, 45, 55}},
        {"movsum(A, 1)", {1, 2, 3, ND, 5, 6}},
        {"cumsum(C)", {ND, ND, 2, 2, -2, ND}},
    });
    // A cumulative sum does not depend on the span read.
    expect_values("cumsum(A)", {11, 17}, {kJan2020 + 4, kJan2020 + 5});
}

TEST(LanguageValues, AggregatesOverAllObservations) {
    expect_table({
        {"sum(A)", {17}},
        {"avg(A)", {17.0 / 5}},
        {"min(C)", {-4}},
        {"max(B)", {60}},
        {"first(C)", {2}},
        {"last(B)", {60}},
        {"A - avg(A)", {1 - 3.4, 2 - 3.4, 3 - 3.4, ND, 5 - 3.4, 6 - 3.4}},
        {"sum(lag(A, 100))", {17}},
    });
}

TEST(LanguageValues, MissingTestsAndReplacement) {
    expect_table({
        {"ismissing(A)", {0, 0, 0, 1, 0, 0}},
        {"isna(B)", {0, 0, 1, 0, 0, 0}},
        {"isnd(B)", {0, 0, 0, 0, 0, 0}},
        {"isnc(1/0)", {1}},
        {"replacemissing(B, 0)", {10, 20, 0, 40, 50, 60}},
        {"replacemissing(A, B)", {1, 2, 3, 40, 5, 6}},
        {"ismissing(T)", {0, 0, 1, 1, 1, 1}},
    });
}

TEST(LanguageValues, ElementaryFunctions) {
    expect_table({
        {"abs(C)", {ND, ND, 2, 0, 4, ND}},
        {"sqrt(16)", {4}},
        {"exp(0)", {1}},
        {"log(exp(2))", {2}},
        {"round(2.5)", {3}},
        {"round(-2.5)", {-3}},
        {"round(3.14159, 2)", {3.14}},
        {"round(1234, -2)", {1200}},
    });
}

TEST(LanguageValues, DatesOfObservations) {
    expect_table({
        {"date(A)", {600, 601, 602, 603, 604, 605}},
        {"year(date(A))", {2020, 2020, 2020, 2020, 2020, 2020}},
        {"period(date(A))", {1, 2, 3, 4, 5, 6}},
        {"date(A) + 12", {612, 613, 614, 615, 616, 617}},
        {"D - date(A)", {100, 100, ND, ND, ND, ND}},
        {"year([QUARTERLY 2021Q3])", {2021}},
        {"D > [MONTHLY 2028M01]", {1, 1, ND, ND, ND, ND}},
    });
}

TEST(LanguageValues, FrequencyConversion) {
    // Quarterly 2020Q1..Q2 from monthly A (1 2 3 ND 5 6).
    const Span quarters{200, 201};
    expect_values("convert(A, QUARTERLY)", {2, ND}, quarters);
    expect_values("convert(A, QUARTERLY, SUM)", {6, ND}, quarters);
    expect_values("convert(B, QUARTERLY, END)", {NA, 60}, quarters);
    expect_values("convert(B, QUARTERLY, HIGH)", {NA, 60}, quarters);
    expect_values("convert(lag(A, 3), QUARTERLY, LOW)", {ND, 1}, quarters);
    expect_values("convert(Q, MONTHLY)", {7, 7, 7, 8, 8, 8});
    expect_values("convert(Q, MONTHLY, SUM)",
                  {7.0 / 3, 7.0 / 3, 7.0 / 3, 8.0 / 3, 8.0 / 3, 8.0 / 3});
    expect_values("A + convert(Q, MONTHLY)", {8, 9, 10, ND, 13, 14});
}

TEST(LanguageValues, FormulasAreReadThroughTheirText) {
    expect_table({
        {"F", {2, 4, 6, ND, 10, 12}},
        {"F + A", {3, 6, 9, ND, 15, 18}},
        {"DEEP15", {15, 16, 17, ND, 19, 20}},
    });
}

TEST(LanguageTypes, ResultTypesFollowTheRules) {
    const struct {
        const char* text;
        Type type;
        bool series;
    } rows[] = {
        {"A", Type::Numeric, true},
        {"A * 2", Type::Numeric, true},
        {"A + B", Type::Precision, true},
        {"1 + 2", Type::Precision, false},
        {"A > 1", Type::Boolean, true},
        {"T", Type::String, true},
        {"T + \"!\"", Type::String, true},
        {"date(A)", Type::Date, true},
        {"D - D", Type::Numeric, true},
        {"sum(A)", Type::Numeric, false},
        {"convert(A, QUARTERLY)", Type::Numeric, true},
        {"IF A > 1 THEN A ELSE B", Type::Precision, true},
    };
    for (const auto& r : rows) {
        FakeCatalog catalog;
        std::unique_ptr<Plan> plan;
        ASSERT_TRUE(compile(r.text, catalog, 1, {}, &plan).ok()) << r.text;
        EXPECT_EQ(r.type, plan->type.type) << r.text;
        EXPECT_EQ(r.series, plan->series) << r.text;
    }
    FakeCatalog catalog;
    std::unique_ptr<Plan> plan;
    // The observations a result can have: shifted by lags, narrowed by
    // differences and windows, joined by operators.
    const struct {
        const char* text;
        int64_t first, last;
    } spans[] = {{"lag(A, 2) + 1", kJan2020 + 2, kJan2020 + 7},
                 {"diff(A, 2)", kJan2020 + 2, kJan2020 + 5},
                 {"movavg(A, 3)", kJan2020 + 2, kJan2020 + 5},
                 {"A + lead(C, 4)", kJan2020 - 2, kJan2020 + 5},
                 {"convert(A, QUARTERLY)", 200, 201}};
    for (const auto& s : spans) {
        ASSERT_TRUE(compile(s.text, catalog, 1, {}, &plan).ok()) << s.text;
        ASSERT_TRUE(plan->data.has_value()) << s.text;
        EXPECT_EQ(s.first, plan->data->first) << s.text;
        EXPECT_EQ(s.last, plan->data->last) << s.text;
    }
    ASSERT_TRUE(compile("diff(C, 3)", catalog, 1, {}, &plan).ok());
    EXPECT_FALSE(plan->data.has_value());
}

struct Failure {
    const char* text;
    int code;
    const char* message;  // a part of the last-error text
};

TEST(LanguageErrors, EveryBadTextGetsItsStatus) {
    const std::vector<Failure> rows = {
        {"1 +", HFRMSYNTAXERR, "position 4"},
        {"(1 + 2", HFRMSYNTAXERR, "position 7"},
        {"1 2", HFRMSYNTAXERR, "position 3"},
        {"", HFRMSYNTAXERR, "position 1"},
        {"A ? B", HFRMSYNTAXERR, "position 3"},
        {"A \xc3\xa9", HFRMSYNTAXERR, "unexpected character byte 0xC3 at position 3"},
        {"\"open", HFRMSYNTAXERR, "unterminated string"},
        {"[MONTHLY 2020Q9]", HFRMSYNTAXERR, "position 1"},
        {"[NOSUCH 2020]", HFRMSYNTAXERR, "unknown frequency"},
        {"[MONTHLY]", HFRMSYNTAXERR, "unknown frequency"},
        {"IF A THEN 1", HFRMSYNTAXERR, "expected ELSE"},
        {"1..2", HFRMSYNTAXERR, "position 1"},
        {"0x10", HFRMSYNTAXERR, "malformed number"},
        {"2e", HFRMSYNTAXERR, "malformed number"},
        {"1e999", HFRMSYNTAXERR, "out of range"},
        {"f(1,)", HFRMSYNTAXERR, "position 5"},
        {"THEN", HFRMSYNTAXERR, "keyword"},
        {"NOSUCH + 1", HNOOBJ, "position 1"},
        {"other:A", HNOOBJ, "position 1"},
        {"nosuch(A)", HBFUNC, "unknown function"},
        {"lag(A)", HBFUNC, "takes 2"},
        {"lag(A, 1.5)", HBFUNC, "whole number"},
        {"lag(A, B)", HBFUNC, "whole number"},
        {"movsum(A, 0)", HBFUNC, "at least 1"},
        {"convert(A, NOSUCH)", HBFREQ, "unknown frequency"},
        {"convert(A, QUARTERLY, MEDIAN)", HBFUNC, "unknown method"},
        {"A + Q", HBFREQ, "position 3"},
        {"A + T", HBTYPE, "position 3"},
        {"NOT A", HBTYPE, "boolean"},
        {"IF A THEN 1 ELSE 2", HBTYPE, "condition"},
        {"IF A > 1 THEN T ELSE A", HBTYPE, "THEN gives string"},
        {"year(A)", HBTYPE, "dates"},
        {"D + D", HBTYPE, "operator +"},
        {"SELF", HBCNTX, "reads itself"},
        {"LOOP1 * 2", HBCNTX, "reads itself"},
        {"DEEP20", HBCNTX, "deeper than 16"},
        {"BAD", HFRMSYNTAXERR, "in formula 'BAD'"},
    };
    for (const Failure& f : rows) {
        FakeCatalog catalog;
        std::unique_ptr<Plan> plan;
        Status s = compile(f.text, catalog, 1, {}, &plan);
        EXPECT_EQ(f.code, s.code()) << f.text << ": " << s.message();
        EXPECT_NE(std::string::npos, s.message().find(f.message)) << f.text << ": " << s.message();
    }
}

TEST(LanguageErrors, LimitsOnLengthAndNesting) {
    FakeCatalog catalog;
    std::unique_ptr<Plan> plan;
    EXPECT_EQ(HNFSRCLONG,
              compile(std::string(kMaxSourceLength + 1, '1'), catalog, 1, {}, &plan).code());
    std::string deep = std::string(kMaxNesting, '(') + "1" + std::string(kMaxNesting, ')');
    EXPECT_EQ(HFRMSYNTAXERR, compile(deep, catalog, 1, {}, &plan).code());
    std::string fits = std::string(kMaxNesting - 1, '(') + "1" + std::string(kMaxNesting - 1, ')');
    EXPECT_TRUE(compile(fits, catalog, 1, {}, &plan).ok());
    EXPECT_EQ(HFRMSYNTAXERR,
              compile(std::string(100000 / 50, '-') + "1", catalog, 1, {}, &plan).code());
    // Reading far from the data is bounded, never an allocation without end.
    Column out;
    ASSERT_TRUE(compile("cumsum(A)", catalog, 1, {}, &plan).ok());
    EXPECT_EQ(HBNRNG,
              evaluate(*plan, catalog, {kJan2020 + kMaxEvaluation, kJan2020 + kMaxEvaluation}, &out)
                  .code());
    ASSERT_TRUE(compile("lag(A, 1)", catalog, 1, {}, &plan).ok());
    EXPECT_EQ(HBNRNG, evaluate(*plan, catalog, {0, kMaxEvaluation + 1}, &out).code());
    // A long chain of operators parses flat but makes a deep plan.
    std::string chain = "1";
    while (chain.size() + 2 < kMaxSourceLength) chain += "+1";
    EXPECT_EQ(HBCNTX, compile(chain, catalog, 1, {}, &plan).code());
}

// Mutations of valid texts and random texts: every one gets a status or a
// value, none crashes or hangs. CRQX_FUZZ_TEXTS sets how many (the test
// command's sanitizer build runs 100,000).
TEST(LanguageErrors, MutatedTextsNeverCrash) {
    const char* wanted = std::getenv("CRQX_FUZZ_TEXTS");
    const int rounds = wanted ? std::atoi(wanted) : 20000;
    const std::string seeds[] = {"(A + B) / lag(C, 1)", "IF A > 2 THEN cumsum(A) ELSE movavg(B, 3)",
                                 "convert(Q, MONTHLY, SUM) + [MONTHLY 2020M01] - date(A)",
                                 "T + \"a\"\"b\"", "round(pct(A, 2), 1) >= NA OR NOT ismissing(B)"};
    const std::string alphabet = "()+-*/^,=<>:\"[] AQTn1.eIFTHENLSO";
    uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    int ok = 0;
    for (int round = 0; round < rounds; ++round) {
        std::string text = seeds[next() % 5];
        if (round % 10 == 0) {  // random bytes, any of the 256
            text.resize(next() % 64);
            for (char& c : text) c = static_cast<char>(next() >> 8);
        }
        for (int edits = 1 + static_cast<int>(next() % 4); edits > 0; --edits) {
            size_t at = next() % (text.size() + 1);
            switch (next() % 3) {
                case 0: text.insert(at, 1, alphabet[next() % alphabet.size()]); break;
                case 1:
                    if (at < text.size()) text.erase(at, 1);
                    break;
                default:
                    if (at < text.size()) text[at] = alphabet[next() % alphabet.size()];
                    break;
            }
        }
        FakeCatalog catalog;
        Column out;
        std::unique_ptr<Plan> plan;
        if (run(catalog, text, {kJan2020 - 3, kJan2020 + 8}, &out, &plan).ok()) ++ok;
    }
    EXPECT_GT(ok, 0);
}

}  // namespace
