// The Windows headers, for the framework's Win32 files only. The framework's own method names
// (GetProfileString, SetWindowText, ...) are also the names of ANSI/Unicode macros there; those
// macros are removed here, so the Win32 files call the "A" functions by their full names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef GetProfileString
#undef WriteProfileString
#undef SetWindowText
#undef GetWindowText
#undef LoadString
#undef GetFileTitle
#undef SetDlgItemText
#undef GetDlgItemText
#undef DrawText
#undef LoadMenu
