// libbrevix-slowclose.so: a preloaded shim that makes closing a file slow, as on a disk that an
// on-access scanner watches or on a network share that flushes on close. Every close of a
// descriptor whose file lies under SLOW_CLOSE_DIR waits SLOW_CLOSE_MS milliseconds first (the
// wait holds only the calling thread). Without both variables it changes nothing.
//
//   SLOW_CLOSE_DIR=/dev/shm/out SLOW_CLOSE_MS=1 LD_PRELOAD=.../libbrevix-slowclose.so brevix-cli ...
//
// The C library's fclose closes its descriptor without going through close(), so both are caught.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

struct Settings {
    char folder[PATH_MAX] = {};
    size_t length = 0;
    long milliseconds = 0;
    Settings() {
        const char* dir = std::getenv("SLOW_CLOSE_DIR");
        const char* ms = std::getenv("SLOW_CLOSE_MS");
        if (dir == nullptr || ms == nullptr || realpath(dir, folder) == nullptr) return;
        length = std::strlen(folder);
        milliseconds = std::atol(ms);
    }
};

const Settings& Get() {
    static const Settings settings;
    return settings;
}

// Waits before a close of fd when its file lies under the folder.
void Delay(int fd) {
    const Settings& settings = Get();
    if (settings.milliseconds <= 0 || fd < 0) return;
    const int saved = errno;
    char link[64], target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t size = readlink(link, target, sizeof target - 1);
    if (size > static_cast<ssize_t>(settings.length) && target[settings.length] == '/' &&
        std::memcmp(target, settings.folder, settings.length) == 0) {
        timespec wait{settings.milliseconds / 1000, (settings.milliseconds % 1000) * 1000000};
        while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
        }
    }
    errno = saved;
}

template <typename F> F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int close(int fd) {
    static const auto real = Next<int (*)(int)>("close");
    Delay(fd);
    return real(fd);
}

int fclose(FILE* stream) {
    static const auto real = Next<int (*)(FILE*)>("fclose");
    if (stream != nullptr) Delay(fileno(stream));
    return real(stream);
}

} // extern "C"
