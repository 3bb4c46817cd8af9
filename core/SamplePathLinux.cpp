#include "SamplePath.h"

char16_t PathSeparator() { return u'/'; }
