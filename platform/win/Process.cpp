#include "platform/win/Process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

std::vector<pid_t>& started() {
    static std::vector<pid_t> pids;
    return pids;
}

// Our children that have ended are collected, so none lingers; others' are left alone.
void reapEnded() {
    auto& pids = started();
    for (size_t i = 0; i < pids.size();) {
        if (::waitpid(pids[i], nullptr, WNOHANG) != 0) pids.erase(pids.begin() + long(i));
        else ++i;
    }
}

}  // namespace

int startDetachedProcess(const char* path, TCString& errorText) {
    errorText.clear();
    reapEnded();
    struct stat st {};
    int err = 0;
    if (!path || !*path) err = EINVAL;
    else if (::stat(path, &st) != 0) err = errno;
    else if (::chmod(path, (st.st_mode & 07777) | S_IXUSR) != 0) err = errno;
    if (!err) {
        pid_t pid = 0;
        char* const argv[] = {const_cast<char*>(path), nullptr};
        err = ::posix_spawn(&pid, path, nullptr, nullptr, argv, environ);
        if (!err) started().push_back(pid);
    }
    if (err) errorText = std::strerror(err);
    return err;
}
