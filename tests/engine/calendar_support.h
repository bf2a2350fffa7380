// Helpers shared by the calendar's test suites.
#ifndef CRQX_TESTS_ENGINE_CALENDAR_SUPPORT_H
#define CRQX_TESTS_ENGINE_CALENDAR_SUPPORT_H

#include <gtest/gtest.h>

#include "calendar/frequency.h"

namespace crqx::calendar::test_support {

// The frequency of a code the test knows to be valid.
inline Frequency F(int code) {
    auto f = describe_frequency(code);
    EXPECT_TRUE(f) << code;
    return f.value_or(Frequency{});
}

// The code of parts the test knows to be valid.
inline int compose(int base, int nunits, int year = 0, int month = 0) {
    int code = -1;
    EXPECT_EQ(compose_frequency({base, nunits, year, month}, code).code(), HSUCC)
        << base << " " << nunits;
    return code;
}

}  // namespace crqx::calendar::test_support

#endif
