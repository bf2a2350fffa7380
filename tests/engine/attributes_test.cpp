// Name-list texts, and the store's attribute rows: values come back bit
// for bit, and rows follow their object's id through rename and delete.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "attributes/attributes.h"
#include "attributes/name_lists.h"
#include "store/store.h"

using namespace crqx;

namespace {

struct ListCase {
    const char* text;
    int expected;
    const char* joined;  // the stored form when accepted
};

TEST(NameLists, ParseAndJoin) {
    const ListCase cases[] = {
        {"", HSUCC, ""},           {" \t ", HSUCC, ""},       {"a", HSUCC, "a"},
        {" a , b ", HSUCC, "a,b"}, {"a,A,b,a", HSUCC, "a,b"}, {"a,", HBOBJT, ""},
        {",a", HBOBJT, ""},        {"a,,b", HBOBJT, ""},      {"a b", HBOBJT, ""},
        {"a..b", HBOBJT, ""},
    };
    for (const ListCase& c : cases) {
        std::vector<std::string> names;
        EXPECT_EQ(c.expected, attributes::parse_name_list(c.text, false, &names).code())
            << "'" << c.text << "'";
        if (c.expected == HSUCC) {
            EXPECT_EQ(c.joined, attributes::join_name_list(names)) << "'" << c.text << "'";
        }
    }
}

class AttributeStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store::open_store("", store::Mode::Work, {}, &store_).ok());
        store::ObjectRecord r;
        r.name = "GDP";
        r.object_class = HSERIE;
        r.type = HNUMRC;
        r.frequency = HMONTH;
        ASSERT_TRUE(store_->insert_object(r).ok());
    }
    std::unique_ptr<store::Store> store_;
};

TEST_F(AttributeStore, NumbersComeBackBitForBit) {
    const double nan_with_payload = [] {
        uint64_t bits = 0x7ff8000000012345ULL;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }();
    for (double v :
         {0.0, -0.0, std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::max(),
          std::numeric_limits<double>::infinity(), nan_with_payload}) {
        store::AttributeRecord a = attributes::precision_value(v);
        a.name = "x";
        ASSERT_TRUE(store_->write_attribute("GDP", a).ok());
        store::AttributeRecord back;
        ASSERT_TRUE(store_->find_attribute("gdp", "X", &back).ok());
        double got = attributes::precision_of(back);
        EXPECT_EQ(0, std::memcmp(&got, &v, sizeof v)) << v;
    }
}

TEST_F(AttributeStore, RowsFollowTheObject) {
    store::AttributeRecord a = attributes::string_value("USD");
    a.name = "Unit";
    ASSERT_TRUE(store_->write_attribute("GDP", a).ok());
    ASSERT_TRUE(store_->write_names("GDP", store::NameList::Aliases, {"Product"}).ok());
    store::ObjectRecord r;
    ASSERT_TRUE(store_->find_object("product", &r).ok());
    r.name = "GDP2";
    ASSERT_TRUE(store_->update_object("PRODUCT", r).ok()) << "an update through an alias";
    store::AttributeRecord back;
    EXPECT_TRUE(store_->find_attribute("GDP2", "unit", &back).ok());
    EXPECT_EQ("Unit", back.name);
    ASSERT_TRUE(store_->delete_object("product").ok());
    // a new object under an old id starts without the old rows
    r.name = "GDP2";
    ASSERT_TRUE(store_->insert_object(r).ok());
    EXPECT_EQ(HBATTR, store_->find_attribute("GDP2", "unit", &back).code());
    EXPECT_EQ(HNOOBJ, store_->find_object("product", &r).code());
}

}  // namespace
