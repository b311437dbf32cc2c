// A deliberately naive tag reader, written straight from its rules, to check the real one
// against: repeated removal of "<?" and "<!" constructs, then the C library's strtok.
// Texts must not hold NUL bytes (strtok stops there).
#pragma once

#include "platform/StringTypes.h"

namespace reference {

// Repeats: remove the first "<?" construct; only if there is none, the first "<!" construct;
// until nothing is removed. Returns the number removed.
int StripMarkup(CString& text);

// The sanitised value of key in text, by the token walk over strtok.
CString ReadKeyValue(const CString& text, const CString& key);

} // namespace reference
