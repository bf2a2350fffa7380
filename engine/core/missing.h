// The engine's missing-value codes, three per value kind: NC (not computable),
// ND (not defined: no observation), NA (not available). They are ordinary
// values that compare equal to themselves (no NaNs), chosen at the far end of
// each type's range where real data does not go.
#pragma once

#include <cfloat>
#include <climits>

namespace crqx {
namespace missing {

constexpr int kIntNC = INT_MIN;
constexpr int kIntND = INT_MIN + 1;
constexpr int kIntNA = INT_MIN + 2;

// -FLT_MAX and its next two neighbours toward zero.
constexpr float kFloatNC = -0x1.fffffep+127f;
constexpr float kFloatND = -0x1.fffffcp+127f;
constexpr float kFloatNA = -0x1.fffffap+127f;

// -DBL_MAX and its next two neighbours toward zero.
constexpr double kDoubleNC = -0x1.fffffffffffffp+1023;
constexpr double kDoubleND = -0x1.ffffffffffffep+1023;
constexpr double kDoubleNA = -0x1.ffffffffffffdp+1023;

// Strings start with DEL, which no text a user stores begins with in practice.
constexpr char kStringNC[] =
    "\x7f"
    "NC";
constexpr char kStringND[] =
    "\x7f"
    "ND";
constexpr char kStringNA[] =
    "\x7f"
    "NA";

}  // namespace missing
}  // namespace crqx
