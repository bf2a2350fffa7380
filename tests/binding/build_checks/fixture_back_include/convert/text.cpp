#include "module/globals.h"
