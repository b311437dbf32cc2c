// The framework's string types. The engine works on 8-bit text that may hold any byte, NUL
// included, so a CString is simply a standard string and a CStringList a vector of them.
#pragma once

#include <string>
#include <vector>

using CString = std::string;
using CStringList = std::vector<CString>;

// A 32-bit boolean of the settings record: 0 or 1 (the same type as the Windows headers' BOOL).
typedef int BOOL;
