#include "platform/runtime/FileUtils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
std::string g_moduleName, g_modulePath;  // test overrides
std::map<int, std::string> g_tempFiles;  // handles whose file goes on close

std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string homeDir() {
    std::string h = envOr("HOME");
    return h.empty() ? std::string("/tmp") : h;
}

std::string realExe() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    return std::string(buf, static_cast<size_t>(n));
}

}  // namespace

TCString makePathName(const char* folder, const char* name) {
    std::string f = folder ? folder : "";
    std::string n = name ? name : "";
    if (f.empty()) return TCString(n);
    if (n.empty()) return TCString(f);
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    size_t b = 0;
    while (b < n.size() && n[b] == '/') ++b;
    if (f == "/") return TCString("/" + n.substr(b));
    return TCString(f + "/" + n.substr(b));
}

TCString extractFileName(const char* path) {
    const std::string p = path ? path : "";
    const size_t s = p.rfind('/');
    return TCString(s == std::string::npos ? p : p.substr(s + 1));
}

TCString extractFilePath(const char* path) {
    const std::string p = path ? path : "";
    const size_t s = p.rfind('/');
    if (s == std::string::npos) return TCString();
    if (s == 0) return TCString("/");
    return TCString(p.substr(0, s));
}

TCString getExt(const char* path) {
    const TCString name = extractFileName(path);
    const int d = name.lastPos('.');
    return d <= 0 ? TCString() : name.sub(static_cast<size_t>(d));
}

TCString changeFileExt(const char* path, const char* ext) {
    std::string p = path ? path : "";
    const TCString cur = getExt(path);
    p.resize(p.size() - cur.length());
    std::string e = ext ? ext : "";
    if (!e.empty() && e[0] != '.') e.insert(0, ".");
    return TCString(p + e);
}

TCString changeFileName(const char* path, const char* newName) {
    const std::string p = path ? path : "";
    const size_t s = p.rfind('/');
    if (s == std::string::npos) return TCString(newName);
    return TCString(p.substr(0, s + 1) + (newName ? newName : ""));
}

bool fileExists(const char* path) {
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool dirExists(const char* path) {
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t fileSize(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int makeDirectory(const char* path) {
    if (!path || !*path) return -EINVAL;
    if (dirExists(path)) return 0;
    std::string p(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    for (size_t i = 1; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '/') continue;
        const std::string part = p.substr(0, i);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return -errno;
    }
    return dirExists(path) ? 0 : -ENOTDIR;
}

int checkDir(const char* path, int create, int) {
    if (dirExists(path)) return 0;
    if (!create) return -ENOENT;
    return makeDirectory(path);
}

int removeFile(const char* path) {
    if (!path) return -EINVAL;
    return std::remove(path) == 0 ? 0 : -errno;
}

int openFile(const char* path, int mode) {
    if (!path || !*path) return -EINVAL;
    int flags;
    switch (mode) {
    case FO_READ: flags = O_RDONLY; break;
    case FO_WRITE: flags = O_WRONLY | O_CREAT; break;
    case FO_READWRITE: flags = O_RDWR | O_CREAT; break;
    case FO_APPEND: flags = O_WRONLY | O_CREAT | O_APPEND; break;
    case FO_TEMP_CREATE: flags = O_WRONLY | O_CREAT | O_EXCL; break;
    case FO_CREATE: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    default: return -EINVAL;
    }
    const int fd = ::open(path, flags | O_CLOEXEC, 0666);
    if (fd < 0) return -errno;
    if (mode == FO_TEMP_CREATE) {
        std::lock_guard<std::mutex> g(g_lock);
        g_tempFiles[fd] = path;
    }
    return fd;
}

int64_t writeFile(int handle, const void* data, size_t len) {
    if (handle < 0) return -EBADF;
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < len) {
        const ssize_t n = ::write(handle, p + done, len - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

int64_t readFile(int handle, void* data, size_t len) {
    if (handle < 0) return -EBADF;
    for (;;) {
        const ssize_t n = ::read(handle, data, len);
        if (n >= 0) return n;
        if (errno != EINTR) return -errno;
    }
}

int closeFile(int handle) {
    if (handle < 0) return -EBADF;
    std::string temp;
    {
        std::lock_guard<std::mutex> g(g_lock);
        auto it = g_tempFiles.find(handle);
        if (it != g_tempFiles.end()) {
            temp = it->second;
            g_tempFiles.erase(it);
        }
    }
    const int r = ::close(handle) == 0 ? 0 : -errno;
    if (!temp.empty()) ::unlink(temp.c_str());
    return r;
}

namespace {

constexpr char kTempMark[] = ".zrxtmp-";
constexpr time_t kStaleTempSeconds = 5 * 60;

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Temporaries of ours that a killed writer left in the folder.
void removeStaleTemporaries(const std::string& folder) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        const char* name = e->d_name;
        if (name[0] != '.' || !std::strstr(name, kTempMark)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(d), name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (now - st.st_mtime > kStaleTempSeconds) ::unlinkat(::dirfd(d), name, 0);
    }
    ::closedir(d);
}

}  // namespace

int writeWholeFile(const char* path, const void* data, size_t len, const WholeFileWrite& how) {
    if (!path || !*path) return -EINVAL;
    const std::string target(path);
    if (target.back() == '/') return -EISDIR;
    const std::string folder = folderOf(target);
    mode_t mode = how.secret ? 0600 : static_cast<mode_t>(how.newFileMode & 07777);
    struct stat old {};
    if (::stat(path, &old) == 0) {
        if (!S_ISREG(old.st_mode)) return S_ISDIR(old.st_mode) ? -EISDIR : -EINVAL;
        // Root may write anything; the write bits still say read-only.
        if ((old.st_mode & 0222) == 0 || ::access(path, W_OK) != 0) return -EACCES;
        if (!how.secret) mode = old.st_mode & 07777;
    }
    removeStaleTemporaries(folder);
    const size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tmp = (folder == "." && slash == std::string::npos ? std::string() : folder + "/") + "." + name +
                      kTempMark + "XXXXXX";
    // mkostemp creates exclusively: a planted file or link at the name fails.
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return -errno;
    int r = ::fchmod(fd, mode) == 0 ? 0 : -errno;
    if (r == 0) {
        const int64_t w = writeFile(fd, data, len);
        if (w < 0) r = static_cast<int>(w);
    }
    if (r == 0 && ::fsync(fd) != 0) r = -errno;
    if (::close(fd) != 0 && r == 0) r = -errno;
    if (r == 0 && how.beforeRename) how.beforeRename(tmp.c_str());
    if (r == 0 && ::rename(tmp.c_str(), path) != 0) r = -errno;
    if (r != 0) {
        ::unlink(tmp.c_str());
        return r;
    }
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return 0;
}

int writeBuff(const char* path, const void* data, size_t len) { return writeWholeFile(path, data, len); }

int readBuff(const char* path, std::string& out, size_t maxSize) {
    if (!path || !*path) return -EINVAL;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -errno;
    struct stat st {};
    int rc = ::fstat(fd, &st) != 0 ? -errno : !S_ISREG(st.st_mode) ? -EINVAL : 0;
    if (rc == 0 && static_cast<uint64_t>(st.st_size) > maxSize) rc = -EFBIG;
    std::string r;
    char buf[65536];
    while (rc == 0) {
        const int64_t n = readFile(fd, buf, sizeof buf);
        if (n < 0) rc = static_cast<int>(n);
        if (n <= 0) break;
        // The file may grow while it is read.
        if (r.size() + static_cast<size_t>(n) > maxSize) rc = -EFBIG;
        else r.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (rc == 0) out = std::move(r);
    return rc;
}

int enumFileData(const char* path, TEnumFileDataFunc fn, void* context) {
    if (!fn) return -EINVAL;
    const int fd = openFile(path, FO_READ);
    if (fd < 0) return fd;
    char buf[65536];
    int r = 0;
    for (;;) {
        const int64_t n = readFile(fd, buf, sizeof buf);
        if (n < 0) {
            r = static_cast<int>(n);
            break;
        }
        if (n == 0) break;
        r = fn(context, buf, static_cast<size_t>(n));
        if (r != 0) break;
    }
    closeFile(fd);
    return r;
}

int copyFile(const char* from, const char* to, bool failIfExists) {
    if (!from || !to) return -EINVAL;
    if (failIfExists && (fileExists(to) || dirExists(to))) return -EEXIST;
    std::string data;
    const int r = readBuff(from, data);
    if (r < 0) return r;
    const int w = writeBuff(to, data.data(), data.size());
    if (w == 0) {
        struct stat st;
        if (stat(from, &st) == 0) chmod(to, st.st_mode & 07777);
    }
    return w;
}

int copyFileTo(const char* file, const char* folder) {
    if (!file || !folder) return -EINVAL;
    if (!dirExists(folder)) return -ENOENT;
    return copyFile(file, makePathName(folder, extractFileName(file).c_str()).c_str());
}

TCString getModuleFullName() {
    std::lock_guard<std::mutex> g(g_lock);
    const std::string exe = realExe();
    const size_t s = exe.rfind('/');
    const std::string dir =
        !g_modulePath.empty() ? g_modulePath : (s == std::string::npos ? std::string(".") : exe.substr(0, s));
    const std::string name = !g_moduleName.empty() ? g_moduleName : (s == std::string::npos ? exe : exe.substr(s + 1));
    return makePathName(dir.c_str(), name.c_str());
}

TCString getModulePath() { return extractFilePath(getModuleFullName().c_str()); }
TCString getMainPathName() { return getModulePath(); }
TCString getModuleFileName() { return extractFileName(getModuleFullName().c_str()); }

TCString getApplName() {
    const TCString n = getModuleFileName();
    const int d = n.lastPos('.');
    return d <= 0 ? n : n.sub(0, static_cast<size_t>(d));
}

void setModuleFileName(const char* name) {
    std::lock_guard<std::mutex> g(g_lock);
    g_moduleName = name ? name : "";
}

void setModulePath(const char* folder) {
    std::lock_guard<std::mutex> g(g_lock);
    g_modulePath = folder ? folder : "";
}

TCString getCommonDataDir() {
    std::string d = envOr("ALLUSERSPROFILE");
    if (d.empty()) d = envOr("XDG_DATA_HOME");
    if (d.empty()) d = homeDir() + "/.local/share";
    return TCString(d);
}

TCString getPublicDir() {
    std::string d = envOr("PUBLIC");
    if (d.empty()) d = envOr("XDG_DATA_HOME");
    if (d.empty()) d = homeDir() + "/.local/share";
    return TCString(d);
}

TCString getUserProfileDir() {
    std::string d = envOr("USERPROFILE");
    if (d.empty()) d = homeDir();
    return TCString(d);
}

TCString getConfigDir() {
    std::string d = envOr("XDG_CONFIG_HOME");
    if (d.empty()) d = homeDir() + "/.config";
    return TCString(d);
}

bool isFileProtected(const char* path) {
    struct stat st {};
    if (!path || !*path || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_uid != ::geteuid() && st.st_uid != 0) return false;
    return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

int setFileOwnerOnly(const char* path) {
    if (!path || !*path) return -EINVAL;
    return ::chmod(path, S_IRUSR | S_IWUSR) == 0 ? 0 : -errno;
}

bool saveStr(const char* path, const char* text) {
    if (!path || !*path) return false;
    const std::string_view t(text ? text : "");
    return writeBuff(path, t.data(), t.size()) == 0;
}
