#include "Console.h"

#include <csignal>
#include <windows.h>

const char kHelpSwitch[] = "/?";
const char kStopKeys[] = "Ctrl+C or Ctrl+Break";

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_signal{0};

// Runs on a thread of its own that the console starts: it only sets the flag.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    g_signal.store(SIGINT);
    g_stop.store(true);
    return TRUE;
}

} // namespace

size_t StandardErrorColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

Utf8Console::Utf8Console() {
    if (!StandardOutputIsTerminal() && !StandardErrorIsTerminal()) return;
    const UINT old = GetConsoleOutputCP();
    if (old != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) m_oldCodePage = old;
}

Utf8Console::~Utf8Console() {
    if (m_oldCodePage != 0) SetConsoleOutputCP(m_oldCodePage);
}

StopSignals::StopSignals() {
    g_stop.store(false);
    g_signal.store(0);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

std::atomic<bool>& StopSignals::Flag() const {
    return g_stop;
}

int StopSignals::Signal() const {
    return g_signal.load();
}

void IgnoreBrokenPipes() {}
