#include "session/session.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "core/codes.h"

namespace crqx {
namespace session {
namespace {

// One option: its name, the words it accepts (or an integer range when it
// has none) and its current value.
struct Option {
    const char* name;
    std::vector<std::pair<const char*, long>> words;
    long min, max;
    long value;
};

struct State {
    bool active = false;
    std::string last_error;
    std::vector<std::function<void()>> closers;
    std::vector<Option> options = {
        // Milliseconds a database operation waits for another process's lock.
        {"BUSY_TIMEOUT", {}, 0, 3600000, 2000},
        // FULL: a post survives power loss; NORMAL: it survives a crash of
        // the process (faster posts).
        {"DURABILITY", {{"NORMAL", 1}, {"FULL", 2}}, 1, 2, 2},
        // Whether closing a database posts its unposted changes.
        {"POST_ON_CLOSE", {{"NO", 0}, {"YES", 1}}, 0, 1, 0},
    };
};

State& state() {
    static State s;
    return s;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string trim(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
}

Option* find_option(const std::string& name) {
    std::string key = upper(trim(name));
    for (Option& o : state().options)
        if (key == o.name) return &o;
    return nullptr;
}

bool parse_value(const Option& o, const std::string& text, long* out) {
    std::string v = upper(trim(text));
    if (!o.words.empty()) {
        for (const auto& w : o.words)
            if (v == w.first) return *out = w.second, true;
        return false;
    }
    if (v.empty()) return false;
    char* end = nullptr;
    long n = std::strtol(v.c_str(), &end, 10);
    if (*end != '\0' || n < o.min || n > o.max) return false;
    *out = n;
    return true;
}

}  // namespace

bool active() { return state().active; }

bool start() {
    if (state().active) return false;
    state().active = true;
    return true;
}

bool end() {
    State& s = state();
    if (!s.active) return false;
    // Closers may register nothing new; run the latest first.
    std::vector<std::function<void()>> closers;
    closers.swap(s.closers);
    for (auto it = closers.rbegin(); it != closers.rend(); ++it) (*it)();
    s.active = false;
    return true;
}

void on_end(std::function<void()> closer) { state().closers.push_back(std::move(closer)); }

void set_error(const char* function, const std::string& text) {
    state().last_error = std::string(function) + ": " + text;
}

const std::string& last_error() { return state().last_error; }

bool post_on_close() { return option("POST_ON_CLOSE") != 0; }

void set_post_on_close(bool on) { find_option("POST_ON_CLOSE")->value = on ? 1 : 0; }

Status set_option(const std::string& name, const std::string& value) {
    Option* o = find_option(name);
    if (o == nullptr) return Status::Error(HBOPT, "unknown option '" + name + "'");
    long v;
    if (!parse_value(*o, value, &v))
        return Status::Error(HBOPTV, "bad value '" + value + "' for option '" + name + "'");
    o->value = v;
    return Status::OK();
}

long option(const std::string& name) { return find_option(name)->value; }

}  // namespace session
}  // namespace crqx
