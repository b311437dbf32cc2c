#include "Console.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

const char kHelpSwitch[] = "";
const char kStopKeys[] = "SIGINT; 143, 129 and 131 for SIGTERM, SIGHUP and SIGQUIT";

namespace {

std::atomic<bool> g_stop{false}; // lock-free, so a signal handler may set it
std::atomic<int> g_signal{0};    // the first signal that set it
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM};
constexpr int kCount = sizeof kSignals / sizeof kSignals[0];
struct sigaction g_earlier[kCount]; // the handling each signal had before
bool g_replaced[kCount] = {};

// A signal that comes just after the run looked at the flag and just before it starts to wait for
// input (from a pipe) would leave that wait to go on for ever. So once the flag is set, an alarm
// interrupts whatever wait comes next, every second, until the run has stopped.
extern "C" void OnStopSignal(int signal) {
    int none = 0;
    if (signal != SIGALRM) g_signal.compare_exchange_strong(none, signal);
    g_stop.store(true);
    alarm(1);
}

} // namespace

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the stop flag is set from a signal handler");

void IgnoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

size_t StandardErrorColumns() {
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

StopSignals::StopSignals() {
    g_stop.store(false);
    g_signal.store(0);
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a read waiting for input returns
    for (int i = 0; i < kCount; ++i) {
        g_replaced[i] = false;
        if (sigaction(kSignals[i], nullptr, &g_earlier[i]) != 0 || g_earlier[i].sa_handler == SIG_IGN)
            continue;
        g_replaced[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

StopSignals::~StopSignals() {
    alarm(0);
    for (int i = 0; i < kCount; ++i)
        if (g_replaced[i]) sigaction(kSignals[i], &g_earlier[i], nullptr);
}

std::atomic<bool>& StopSignals::Flag() const {
    return g_stop;
}

int StopSignals::Signal() const {
    return g_signal.load();
}
