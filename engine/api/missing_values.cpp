// The missing-value data objects of the C interface.
#include "core/missing.h"
#include "crqx.h"

using namespace crqx::missing;

extern "C" {

int ZAVO_INDEX_NC = kIntNC;
int ZAVO_INDEX_ND = kIntND;
int ZAVO_INDEX_NA = kIntNA;
int FDATNC = kIntNC;
int FDATND = kIntND;
int FDATNA = kIntNA;
int FBOONC = kIntNC;
int FBOOND = kIntND;
int FBOONA = kIntNA;
float FNUMNC = kFloatNC;
float FNUMND = kFloatND;
float FNUMNA = kFloatNA;
double FPRCNC = kDoubleNC;
double FPRCND = kDoubleND;
double FPRCNA = kDoubleNA;
char FSTRNC[] =
    "\x7f"
    "NC";
char FSTRND[] =
    "\x7f"
    "ND";
char FSTRNA[] =
    "\x7f"
    "NA";

}  // extern "C"
