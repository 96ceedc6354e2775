#include "platform/win/Shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <mutex>
#include <thread>

extern char** environ;

namespace {
std::mutex g_lock;
TShellOpener g_opener;

int xdgOpen(const char* target) {
    if (!target || !*target) return EINVAL;
    // The target is one argument, never a shell command line.
    char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
    if (rc != 0) return rc;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
    return 0;
}
}  // namespace

TShellOpener setShellOpener(TShellOpener opener) {
    std::lock_guard<std::mutex> hold(g_lock);
    TShellOpener previous = std::move(g_opener);
    g_opener = std::move(opener);
    return previous;
}

int shellOpen(const char* target) {
    TShellOpener opener;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        opener = g_opener;
    }
    return opener ? opener(target) : xdgOpen(target);
}
