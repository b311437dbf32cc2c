#include "Console.h"

#include <windows.h>

const char kStopKeys[] = "Ctrl+C or Ctrl+Break";

namespace {

std::atomic<bool> g_stop{false};

// Runs on a thread of its own that the console starts: it only sets the flag.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    g_stop.store(true);
    return TRUE;
}

} // namespace

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

StopSignals::StopSignals() {
    g_stop.store(false);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

const std::atomic<bool>& StopSignals::Flag() const {
    return g_stop;
}
