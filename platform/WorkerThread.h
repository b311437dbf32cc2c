// A thread for background work of the engine. On POSIX it takes no signals, so that a stop
// signal or an alarm always reaches the thread that runs the program (and interrupts its waits);
// Windows has no signals to keep away.
#pragma once

#include <functional>
#include <thread>

std::thread StartWorkerThread(std::function<void()> work);
