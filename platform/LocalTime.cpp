#include "LocalTime.h"

#include <ctime>

CString FormatLocalTime(const char* format) {
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[128];
    if (local == nullptr) return CString();
    size_t length = std::strftime(text, sizeof text, format, local);
    return CString(text, length);
}
