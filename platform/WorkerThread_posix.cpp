#include "WorkerThread.h"

#include <csignal>
#include <pthread.h>

// The new thread inherits the signal mask in force while it is made: all signals blocked.
std::thread StartWorkerThread(std::function<void()> work) {
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    struct Restore {
        sigset_t* mask;
        ~Restore() { pthread_sigmask(SIG_SETMASK, mask, nullptr); }
    } restore{&before};
    return std::thread(std::move(work));
}
