// Commands (keywords ignore case; one per line or between semicolons):
//   OPEN file [READ|UPDATE|CREATE|OVERWRITE|SHARED|WRITE]   CLOSE [file]
//   USE file                 FREQUENCY name        RANGE from to | RANGE ALL
//   SERIES name [type]       SCALAR name [type]    FORMULA name = expression
//   name = expression        EVAL expression       PRINT expression
//   COPY from to             RENAME from to        DELETE name
//   DESCRIBE name "text"     LIST [pattern]        SHOW name
//   INPUT name               POST                  RESTORE
// Comments start with "--".
#include "commands/interpreter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>

#include "calendar/frequency.h"
#include "calendar/literal.h"
#include "formulas/formulas.h"
#include "language/plan.h"
#include "objects/names.h"
#include "objects/objects.h"
#include "session/session.h"
#include "session/store_options.h"
#include "store/registry.h"

namespace crqx {
namespace commands {
namespace {

using store::Database;

struct State {
    int current = 0;  // the current database's key (0: the last opened)
    int frequency = 0;
    std::string from, to;  // the current range as literals of `frequency`
    std::string last_expression;
    std::string output;
    std::deque<std::string> input;
    bool registered = false;
};

State& state() {
    static State s;
    if (!s.registered) {
        s.registered = true;
        session::on_end([] { state() = State{}; });
    }
    return s;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void print(const std::string& line) { state().output += line + "\n"; }

Status usage(const std::string& text) { return Status::Error(HFRMSYNTAXERR, "usage: " + text); }

// A line cut into words; a double-quoted word keeps its blanks.
Status words_of(const std::string& line, std::vector<std::string>* words) {
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::string w;
        if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string::npos)
                return Status::Error(HFRMSYNTAXERR, "unterminated string");
            words->push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            w += line[i++];
        words->push_back(w);
    }
    return Status::OK();
}

// The text after the first `n` words of `line`.
std::string rest_after(const std::string& line, int n) {
    size_t i = 0;
    for (int k = 0; k < n; ++k) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    }
    return line.substr(std::min(i, line.size()));
}

Status current_database(Database** db) {
    int key = state().current;
    if (key == 0) {
        std::vector<int> keys = store::open_keys();
        if (keys.empty()) return Status::Error(HBKEY, "no database is open (use OPEN)");
        key = keys.back();
    }
    return store::find_database(key, db);
}

Status database_named(const std::string& file, int* key) {
    for (int k : store::open_keys()) {
        Database* db = nullptr;
        if (store::find_database(k, &db).ok() && db->name == file) return *key = k, Status::OK();
    }
    return Status::Error(HBKEY, "database '" + file + "' is not open");
}

std::string frequency_text(int code) {
    std::string name = calendar::frequency_name(code);
    return name.empty() ? "UNDEFINED" : name;
}

std::string date_text(int frequency, double index) {
    auto f = calendar::describe_frequency(frequency);
    std::string text;
    if (!f ||
        !calendar::format_literal(*f, static_cast<int32_t>(index), calendar::kCalendarYear, text)
             .ok())
        return std::to_string(static_cast<long long>(index));
    return text;
}

std::string value_text(const language::ValueType& t, const language::Column& c, size_t i) {
    if (t.type == language::Type::String) {
        const std::string& s = c.text[c.text.size() == 1 ? 0 : i];
        if (s == missing::kStringNC) return "NC";
        if (s == missing::kStringND) return "ND";
        if (s == missing::kStringNA) return "NA";
        return s;
    }
    double v = c.num[c.num.size() == 1 ? 0 : i];
    if (v == language::kNC) return "NC";
    if (v == language::kND) return "ND";
    if (v == language::kNA) return "NA";
    if (t.type == language::Type::Boolean) return v != 0 ? "TRUE" : "FALSE";
    if (t.type == language::Type::Date && t.date_frequency != 0)
        return date_text(t.date_frequency, v);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, t.type == language::Type::Numeric ? "%.7g" : "%.15g", v);
    return buffer;
}

// The span a series of `frequency` is shown or stored over: the current
// range when it is of that frequency, else `data`.
Status span_for(int frequency, const std::optional<language::Span>& data,
                std::optional<language::Span>* out) {
    State& s = state();
    *out = data;
    if (s.from.empty() || s.frequency != frequency) return Status::OK();
    auto f = calendar::describe_frequency(frequency);
    int32_t first = 0, last = 0;
    calendar::parse_literal(*f, s.from, calendar::kCalendarYear, 0, 2000, first);
    calendar::parse_literal(*f, s.to, calendar::kCalendarYear, 0, 2000, last);
    *out = language::Span{first, last};
    return Status::OK();
}

Status do_print(const std::string& expression) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(current_database(&db));
    formulas::SessionCatalog catalog;
    std::unique_ptr<language::Plan> plan;
    CRQX_RETURN_IF_ERROR(language::compile(expression, catalog, db->key, {}, &plan));
    state().last_expression = expression;
    language::Column values;
    if (!plan->series) {
        CRQX_RETURN_IF_ERROR(language::evaluate(*plan, catalog, {0, 0}, &values));
        print(value_text(plan->type, values, 0));
        return Status::OK();
    }
    std::optional<language::Span> span;
    CRQX_RETURN_IF_ERROR(span_for(plan->frequency, plan->data, &span));
    if (!span) {
        print("(no observations)");
        return Status::OK();
    }
    if (span->count() > kMaxPrinted)
        return Status::Error(HBNRNG, "PRINT shows at most " + std::to_string(kMaxPrinted) +
                                         " observations (set a RANGE)");
    CRQX_RETURN_IF_ERROR(language::evaluate(*plan, catalog, *span, &values));
    for (int64_t i = 0; i < span->count(); ++i)
        print(date_text(plan->frequency, static_cast<double>(span->first + i)) + "  " +
              value_text(plan->type, values, static_cast<size_t>(i)));
    return Status::OK();
}

Status do_assign(const std::string& name, const std::string& expression) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(current_database(&db));
    State& s = state();
    const formulas::Bounds bounds{s.from, s.to, s.frequency};
    s.last_expression = expression;
    return formulas::evaluate_into(db->key, expression, bounds, *db, name);
}

Status value_type_of(const std::vector<std::string>& w, size_t at, int* type) {
    *type = HNUMRC;
    if (w.size() <= at) return Status::OK();
    static const std::pair<const char*, int> kTypes[] = {{"NUMERIC", HNUMRC},
                                                         {"PRECISION", HPRECN},
                                                         {"BOOLEAN", HBOOLN},
                                                         {"STRING", HSTRNG},
                                                         {"DATE", HDATE}};
    for (const auto& [name, code] : kTypes)
        if (upper(w[at]) == name) return *type = code, Status::OK();
    return Status::Error(HBTYPE, "unknown type " + w[at]);
}

Status do_show(const std::string& name) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(current_database(&db));
    store::ObjectRecord r;
    CRQX_RETURN_IF_ERROR(objects::find_object(*db, name, &r));
    static const char* const kClasses[] = {"?", "SERIES",      "SCALAR",        "FORMULA",
                                           "?", "GLOBAL NAME", "GLOBAL FORMULA"};
    std::string klass = r.object_class >= 1 && r.object_class <= 6 ? kClasses[r.object_class] : "?";
    std::string source;
    if (formulas::is_formula_class(r.object_class)) {
        CRQX_RETURN_IF_ERROR(formulas::read_source(*db, r.name, &source));
        formulas::describe(*db, &r);
    }
    language::ValueType t;
    std::string type =
        language::type_of_code(r.type, &t) ? upper(language::type_name(t.type)) : "UNDEFINED";
    std::string line = r.name + ": " + klass + ", " + type + ", " + frequency_text(r.frequency);
    if (r.first_index && r.last_index)
        line += ", " + date_text(r.frequency, *r.first_index) + " to " +
                date_text(r.frequency, *r.last_index);
    print(line);
    if (!r.description.empty()) print("  description: " + r.description);
    if (!source.empty()) print("  formula: " + source);
    return Status::OK();
}

Status do_list(const std::string& pattern) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(current_database(&db));
    CRQX_RETURN_IF_ERROR(objects::check_pattern(pattern));
    std::vector<store::ObjectRecord> records;
    CRQX_RETURN_IF_ERROR(db->store->list_objects(&records));
    for (const store::ObjectRecord& r : records)
        if (objects::wildcard_match(pattern, r.name)) print(r.name);
    return Status::OK();
}

Status do_open(const std::vector<std::string>& w) {
    if (w.size() < 2 || w.size() > 3)
        return usage("OPEN file [READ|UPDATE|CREATE|OVERWRITE|SHARED|WRITE]");
    static const std::pair<const char*, store::Mode> kModes[] = {
        {"READ", store::Mode::Read},     {"UPDATE", store::Mode::Update},
        {"CREATE", store::Mode::Create}, {"OVERWRITE", store::Mode::Overwrite},
        {"SHARED", store::Mode::Shared}, {"WRITE", store::Mode::Write}};
    store::Mode mode = store::Mode::Update;
    if (w.size() == 3) {
        auto m = std::find_if(std::begin(kModes), std::end(kModes),
                              [&](const auto& e) { return upper(w[2]) == e.first; });
        if (m == std::end(kModes)) return Status::Error(HBMODE, "unknown access mode " + w[2]);
        mode = m->second;
    }
    int key = 0;
    CRQX_RETURN_IF_ERROR(store::open_database(w[1], mode, session::store_options(), &key));
    state().current = key;
    print("opened " + w[1] + " as database " + std::to_string(key));
    return Status::OK();
}

Status do_close(const std::vector<std::string>& w) {
    int key = 0;
    if (w.size() == 2) {
        CRQX_RETURN_IF_ERROR(database_named(w[1], &key));
    } else {
        Database* db = nullptr;
        CRQX_RETURN_IF_ERROR(current_database(&db));
        key = db->key;
    }
    CRQX_RETURN_IF_ERROR(store::close_database(key, session::post_on_close()));
    if (state().current == key) state().current = 0;
    return Status::OK();
}

Status do_range(const std::vector<std::string>& w) {
    State& s = state();
    if (w.size() == 2 && upper(w[1]) == "ALL") {
        s.from.clear(), s.to.clear();
        return Status::OK();
    }
    if (w.size() != 3) return usage("RANGE from to | RANGE ALL");
    if (s.frequency == 0) return Status::Error(HBFREQ, "set a FREQUENCY before a RANGE");
    auto f = calendar::describe_frequency(s.frequency);
    int32_t first = 0, last = 0;
    if (!calendar::parse_literal(*f, w[1], calendar::kCalendarYear, 0, 2000, first).ok())
        return Status::Error(HBSRNG, "'" + w[1] + "' is no date of " + frequency_text(s.frequency));
    if (!calendar::parse_literal(*f, w[2], calendar::kCalendarYear, 0, 2000, last).ok())
        return Status::Error(HBERNG, "'" + w[2] + "' is no date of " + frequency_text(s.frequency));
    if (last < first) return Status::Error(HBRNG, "the range ends before it starts");
    s.from = w[1], s.to = w[2];
    return Status::OK();
}

Status do_create(const std::vector<std::string>& w, int object_class) {
    if (w.size() < 2 || w.size() > 3)
        return usage(std::string(object_class == HSERIE ? "SERIES" : "SCALAR") + " name [type]");
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(current_database(&db));
    objects::NewObject wanted;
    wanted.object_class = object_class;
    CRQX_RETURN_IF_ERROR(value_type_of(w, 2, &wanted.type));
    if (object_class == HSERIE) {
        if (state().frequency == 0)
            return Status::Error(HBFREQ, "set a FREQUENCY before creating a series");
        wanted.frequency = state().frequency;
    }
    return objects::create_object(*db, w[1], wanted);
}

std::string trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

// "name = expression": a lone name before the first '=' (which is no "=").
bool is_assignment(const std::string& line, std::string* name) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    *name = trimmed(line.substr(0, eq));
    if (name->empty() || !std::isalpha(static_cast<unsigned char>((*name)[0]))) return false;
    for (char c : *name)
        if (std::isspace(static_cast<unsigned char>(c)) || c == '"' || c == '(') return false;
    return true;
}

// One command line.
Status run_line(const std::string& line) {
    std::vector<std::string> w;
    CRQX_RETURN_IF_ERROR(words_of(line, &w));
    if (w.empty()) return Status::OK();
    const std::string verb = upper(w[0]);
    State& s = state();
    // name = expression
    std::string target;
    if (is_assignment(line, &target)) {
        std::string expression = line.substr(line.find('=') + 1);
        return do_assign(target, expression);
    }
    Database* db = nullptr;
    if (verb == "OPEN") return do_open(w);
    if (verb == "CLOSE") return do_close(w);
    if (verb == "USE") {
        if (w.size() != 2) return usage("USE file");
        return database_named(w[1], &s.current);
    }
    if (verb == "FREQUENCY") {
        if (w.size() != 2) return usage("FREQUENCY name");
        int code = 0;
        if (!calendar::parse_frequency(upper(w[1]), code).ok())
            return Status::Error(HBFREQ, "unknown frequency " + w[1]);
        if (code != s.frequency) s.from.clear(), s.to.clear();
        s.frequency = code;
        return Status::OK();
    }
    if (verb == "RANGE") return do_range(w);
    if (verb == "SERIES") return do_create(w, HSERIE);
    if (verb == "SCALAR") return do_create(w, HSCALA);
    if (verb == "FORMULA") {
        size_t at = line.find('=');
        if (w.size() < 3 || at == std::string::npos) return usage("FORMULA name = expression");
        std::string name = trimmed(rest_after(line.substr(0, at), 1));
        CRQX_RETURN_IF_ERROR(current_database(&db));
        std::string text = trimmed(line.substr(at + 1));
        store::ObjectRecord r;
        Status found = objects::find_object(*db, name, &r);
        if (found.ok() && formulas::is_formula_class(r.object_class))
            return formulas::define(*db, name, 0, text, false);
        return formulas::define(*db, name, HFRMLA, text, true);
    }
    if (verb == "PRINT" || verb == "EVAL") {
        if (w.size() < 2) return usage(verb + " expression");
        return do_print(rest_after(line, 1));
    }
    if (verb == "COPY" || verb == "RENAME") {
        if (w.size() != 3) return usage(verb + " from to");
        CRQX_RETURN_IF_ERROR(current_database(&db));
        return verb == "COPY" ? objects::copy_object(*db, *db, w[1], w[2])
                              : objects::rename_object(*db, w[1], w[2]);
    }
    if (verb == "DELETE") {
        if (w.size() != 2) return usage("DELETE name");
        CRQX_RETURN_IF_ERROR(current_database(&db));
        return objects::delete_object(*db, w[1]);
    }
    if (verb == "DESCRIBE") {
        if (w.size() != 3) return usage("DESCRIBE name \"text\"");
        CRQX_RETURN_IF_ERROR(current_database(&db));
        return objects::modify_object(*db, w[1], [&](store::ObjectRecord& r) {
            r.description = w[2];
            return Status::OK();
        });
    }
    if (verb == "LIST") {
        if (w.size() > 2) return usage("LIST [pattern]");
        return do_list(w.size() == 2 ? w[1] : "*");
    }
    if (verb == "SHOW") {
        if (w.size() != 2) return usage("SHOW name");
        return do_show(w[1]);
    }
    if (verb == "INPUT") {
        if (w.size() != 2) return usage("INPUT name");
        if (s.input.empty())
            return Status::Error(HNOOBJ, "no input line left (give input with qzvsinp)");
        std::string text = s.input.front();
        std::string quoted = "\"";
        for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        quoted += "\"";
        CRQX_RETURN_IF_ERROR(do_assign(w[1], quoted));
        s.input.pop_front();
        return Status::OK();
    }
    if (verb == "POST" || verb == "RESTORE") {
        if (w.size() != 1) return usage(verb);
        CRQX_RETURN_IF_ERROR(current_database(&db));
        return verb == "POST" ? db->store->post() : db->store->restore();
    }
    return Status::Error(HFRMSYNTAXERR, "unknown command " + w[0]);
}

}  // namespace

Status run(const std::string& text, int database) {
    State& s = state();
    s.last_expression.clear();
    if (database != 0) {
        Database* db = nullptr;
        CRQX_RETURN_IF_ERROR(store::find_database(database, &db));
        s.current = database;
    }
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\n;", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        ++number;
        start = end + 1;
        size_t comment = line.find("--");
        if (comment != std::string::npos && line.find('"') > comment) line.resize(comment);
        Status st = run_line(line);
        if (!st.ok())
            return Status::Error(st.code(), "line " + std::to_string(number) + ": " + st.message());
    }
    return Status::OK();
}

const std::string& last_expression() { return state().last_expression; }

void current_bounds(std::string* from, std::string* to, int* frequency) {
    *from = state().from;
    *to = state().to;
    *frequency = state().frequency;
}

void add_input(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        state().input.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

Status take_output(size_t capacity, std::string* piece) {
    std::string& out = state().output;
    if (out.empty()) return Status::Error(HNOOBJ, "no command output is waiting");
    size_t n = std::min(capacity, out.size());
    // Back up to the start of a UTF-8 character.
    while (n > 0 && n < out.size() && (static_cast<unsigned char>(out[n]) & 0xC0) == 0x80) --n;
    if (n == 0)
        return Status::Error(HBLEN, "a buffer of " + std::to_string(capacity + 1) +
                                        " bytes is too small for the next character of the output");
    *piece = out.substr(0, n);
    out.erase(0, n);
    return Status::OK();
}

}  // namespace commands
}  // namespace crqx
