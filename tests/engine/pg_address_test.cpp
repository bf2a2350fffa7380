// The hostname forms of the PostgreSQL service, turned into libpq's
// connection keywords without reaching any server.
#include <gtest/gtest.h>

#include "store/pg_link.h"

namespace crqx {
namespace store {
namespace {

using Keywords = std::vector<std::pair<std::string, std::string>>;

Keywords keywords_of(const std::string& hostname, int* code) {
    std::vector<std::string> keys, values;
    Status s = connection_keywords(hostname, &keys, &values);
    *code = s.code();
    Keywords out;
    for (size_t i = 0; i < keys.size(); ++i) out.emplace_back(keys[i], values[i]);
    return out;
}

struct Form {
    const char* hostname;
    Keywords expected;
};

TEST(PgAddress, HostPortAndDatabase) {
    const Form forms[] = {
        {"", {}},
        {"db.example.org", {{"host", "db.example.org"}}},
        {" 10.0.0.5:6543 ", {{"host", "10.0.0.5"}, {"port", "6543"}}},
        {"h:5432/sales", {{"host", "h"}, {"port", "5432"}, {"dbname", "sales"}}},
        {"h/sales", {{"host", "h"}, {"dbname", "sales"}}},
        {"[::1]:5433/x", {{"host", "::1"}, {"port", "5433"}, {"dbname", "x"}}},
        {"[::1]", {{"host", "::1"}}},
        {"postgresql://u:pw@h:1/d?sslmode=disable",
         {{"dbname", "postgresql://u:pw@h:1/d?sslmode=disable"}}},
        {"postgres:///d?host=/tmp/s", {{"dbname", "postgres:///d?host=/tmp/s"}}},
    };
    for (const Form& f : forms) {
        int code = -1;
        EXPECT_EQ(keywords_of(f.hostname, &code), f.expected) << f.hostname;
        EXPECT_EQ(code, HSUCC) << f.hostname;
    }
}

TEST(PgAddress, MalformedFormsAreRefused) {
    for (const char* bad : {"h:", "h:0", "h:65536", "h:12x", "h/", "[::1", "[::1]x", "h:123456"}) {
        int code = -1;
        keywords_of(bad, &code);
        EXPECT_EQ(code, HNETCN) << bad;
    }
}

}  // namespace
}  // namespace store
}  // namespace crqx
