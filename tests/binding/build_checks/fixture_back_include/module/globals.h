#include "convert/text.h"
