#include "WorkerThread.h"

std::thread StartWorkerThread(std::function<void()> work) {
    return std::thread(std::move(work));
}
