// The current local time, formatted by the ISO C strftime rules.
#pragma once

#include "StringTypes.h"

// At most 127 characters; a formatting failure yields an empty text. The C locale stays in force.
CString FormatLocalTime(const char* format);
