#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/runtime/Abort.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/TCDirectoryNode.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/VersionInfo.h"
#include "support/TempDir.h"

ZRX_DECLARE_FILE_VERSION("2.5.0.17");

namespace {
int64_t g_nowMs = 0;
int64_t fakeClock() { return g_nowMs; }
}  // namespace

TEST(Files, PathsAndNames) {
    EXPECT_EQ(makePathName("/a/b/", "/c.txt"), "/a/b/c.txt");
    EXPECT_EQ(makePathName("", "c.txt"), "c.txt");
    EXPECT_EQ(makePathName("/", "c"), "/c");
    EXPECT_EQ(extractFileName("/a/b/c.tar.gz"), "c.tar.gz");
    EXPECT_EQ(extractFilePath("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(getExt("/a.b/c"), "");
    EXPECT_EQ(getExt("/a/c.INI"), ".INI");
    EXPECT_EQ(getExt("/a/.hidden"), "");
    EXPECT_EQ(changeFileExt("/a/App.exe", ""), "/a/App");
    EXPECT_EQ(changeFileExt("/a/App", "ini"), "/a/App.ini");
    EXPECT_EQ(changeFileName("/a/cfg.xcfg", "printKeys.xcfg"), "/a/printKeys.xcfg");
}

TEST(Files, ModuleNameOverride) {
    EXPECT_FALSE(getModuleFileName().isEmpty());
    EXPECT_TRUE(dirExists(getModulePath().c_str()));
    setModuleFileName("ZrX509_ZERUvorido.exe");
    setModulePath("/opt/zoren");
    EXPECT_EQ(getModuleFileName(), "ZrX509_ZERUvorido.exe");
    EXPECT_EQ(getApplName(), "ZrX509_ZERUvorido");
    EXPECT_EQ(getModulePath(), "/opt/zoren");
    setModuleFileName("NoExtension");
    EXPECT_EQ(getApplName(), "NoExtension");
    setModuleFileName(nullptr);
    setModulePath(nullptr);
}

TEST(Files, HandlesAndWholeFiles) {
    zrxtest::TempDir dir;
    const std::string sub = dir.file("x/y/z");
    EXPECT_EQ(checkDir(sub.c_str(), 0, 0) < 0, true);
    EXPECT_EQ(checkDir(sub.c_str(), 1, 0), 0);
    EXPECT_EQ(makeDirectory(sub.c_str()), 0);

    const std::string f = dir.file("x/data.bin");
    const int h = openFile(f.c_str(), FO_CREATE);
    ASSERT_GE(h, 0);
    EXPECT_EQ(writeFile(h, "hello", 5), 5);
    EXPECT_EQ(closeFile(h), 0);
    EXPECT_EQ(fileSize(f.c_str()), 5);
    EXPECT_LT(openFile(dir.file("nope/a").c_str(), FO_CREATE), 0);

    // The writability probe leaves nothing behind.
    const std::string probe = dir.file("x/ctx.tmp");
    const int t = openFile(probe.c_str(), FO_TEMP_CREATE);
    ASSERT_GE(t, 0);
    EXPECT_TRUE(fileExists(probe.c_str()));
    closeFile(t);
    EXPECT_FALSE(fileExists(probe.c_str()));

    const std::string big(200000, 'q');
    ASSERT_EQ(writeBuff(f.c_str(), big.data(), big.size()), 0);
    size_t total = 0;
    auto feed = [](void* ctx, const void*, size_t len) {
        *static_cast<size_t*>(ctx) += len;
        return 0;
    };
    EXPECT_EQ(enumFileData(f.c_str(), feed, &total), 0);
    EXPECT_EQ(total, big.size());
    auto stop = [](void*, const void*, size_t) { return static_cast<int>(0xC080000Eu); };
    EXPECT_EQ(static_cast<uint32_t>(enumFileData(f.c_str(), stop, nullptr)), 0xC080000Eu);
    EXPECT_LT(enumFileData(dir.file("missing").c_str(), feed, &total), 0);

    EXPECT_EQ(copyFileTo(f.c_str(), sub.c_str()), 0);
    EXPECT_EQ(fileSize(makePathName(sub.c_str(), "data.bin").c_str()), static_cast<int64_t>(big.size()));
    EXPECT_LT(copyFileTo(f.c_str(), dir.file("absent").c_str()), 0);
    EXPECT_LT(copyFile(f.c_str(), makePathName(sub.c_str(), "data.bin").c_str(), true), 0);
}

// The one whole-file writer: links planted at a temporary name are never
// followed, the replaced file's mode stays, read-only files are refused and
// left alone, and temporaries left by killed writers go.
TEST(WholeFile, SafeAgainstPlantedLinksModesAndLeftovers) {
    zrxtest::TempDir dir;
    const std::string victim = dir.file("victim"), f = dir.file("list.txt");
    zrxtest::writeFile(victim, "keep me");
    ASSERT_EQ(0, ::symlink(victim.c_str(), (f + ".tmp~").c_str()));
    ASSERT_EQ(writeBuff(f.c_str(), "one", 3), 0);
    EXPECT_EQ(zrxtest::readFile(victim), "keep me");
    EXPECT_EQ(zrxtest::readFile(f), "one");

    struct stat st {};
    ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
    ASSERT_EQ(writeBuff(f.c_str(), "two", 3), 0);
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    WholeFileWrite secret;
    secret.secret = true;
    ASSERT_EQ(writeWholeFile(f.c_str(), "key", 3, secret), 0);
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    ASSERT_EQ(::chmod(f.c_str(), 0444), 0);
    EXPECT_EQ(writeBuff(f.c_str(), "three", 5), -EACCES);
    EXPECT_EQ(zrxtest::readFile(f), "key");
    ASSERT_EQ(::chmod(f.c_str(), 0644), 0);

    // A writer killed before its rename leaves a temporary; an old one goes
    // with the next write to the folder, a recent one (maybe a live writer's)
    // stays.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WholeFileWrite killed;
        killed.beforeRename = [](const char*) { ::raise(SIGKILL); };
        writeWholeFile(f.c_str(), "lost", 4, killed);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(zrxtest::readFile(f), "key");
    auto temporaries = [&] {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename().string().find(".zrxtmp-") != std::string::npos) out.push_back(e.path().string());
        return out;
    };
    const std::vector<std::string> left = temporaries();
    ASSERT_EQ(left.size(), 1u);
    const std::string recent = dir.file(".other.zrxtmp-recent");
    zrxtest::writeFile(recent, "x");
    const timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, left[0].c_str(), old, 0), 0);
    ASSERT_EQ(writeBuff(f.c_str(), "four", 4), 0);
    EXPECT_EQ(temporaries(), std::vector<std::string>{recent});
}

// Two writers at once: a reader sees one whole file or the other, never a
// partial or empty one.
TEST(WholeFile, ConcurrentWritersNeverShowAPartialFile) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("tokens.lst");
    const std::string a(100000, 'a'), b(150000, 'b');
    ASSERT_EQ(writeBuff(f.c_str(), a.data(), a.size()), 0);
    std::vector<pid_t> writers;
    for (const std::string* text : {&a, &b}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0; i < 150; ++i) writeBuff(f.c_str(), text->data(), text->size());
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    int bad = 0;
    for (int i = 0; i < 400; ++i) {
        std::string now;
        if (readBuff(f.c_str(), now) != 0 || (now != a && now != b)) ++bad;
    }
    for (pid_t pid : writers) ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(bad, 0);
}

TEST(Files, DirectoryTree) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("b.txt"), "1");
    zrxtest::writeFile(dir.file("a"), "1");
    makeDirectory(dir.file("sub").c_str());
    zrxtest::writeFile(dir.file("sub/c.txt"), "1");
    zrxtest::writeFile(dir.file("update.log"), "1");

    TCDirectoryNode n;
    auto skipLog = [](const char* p, bool, void*) { return getExt(p) != ".log"; };
    ASSERT_TRUE(n.buildTree(makePathName(dir.str().c_str(), "*.*").c_str(), false, false, skipLog, nullptr));
    ASSERT_EQ(n.count(), 2);
    EXPECT_EQ(*n.at(0), makePathName(dir.str().c_str(), "a"));
    EXPECT_EQ(*n.at(1), makePathName(dir.str().c_str(), "b.txt"));

    ASSERT_TRUE(n.buildTree(makePathName(dir.str().c_str(), "*.txt").c_str(), true, false));
    ASSERT_EQ(n.count(), 2);  // b.txt and the folder holding c.txt
    EXPECT_TRUE(n.at(1)->isDir());
    EXPECT_EQ(n.at(1)->count(), 1);
    EXPECT_FALSE(n.buildTree(dir.file("missing/*.*").c_str(), false, false));
}

TEST(Files, VersionInfo) {
    TCModuleVersionInfo v(0x02050011u);
    EXPECT_EQ(v.asText(), "2.5.0.17");
    TCModuleVersionInfo file;
    ASSERT_TRUE(getFileVerInfo(getModuleFullName().c_str(), file));
    EXPECT_EQ(file.asText(), "2.5.0.17");
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("plain"), "no marker");
    EXPECT_FALSE(getFileVerInfo(dir.file("plain").c_str(), file));
    EXPECT_FALSE(getFileVerInfo(dir.file("absent").c_str(), file));
}

TEST(Time, ClockDaysAndTexts) {
    setenv("TZ", "Europe/Kyiv", 1);
    tzset();
    // 2026-03-28 23:59:59.500 local (before the switch to summer time).
    TCDateTime d;
    d.year = 2026;
    d.month = 3;
    d.day = 28;
    d.hour = 23;
    d.minute = 59;
    d.second = 59;
    const int64_t t = fromLocalTime(d);
    g_nowMs = t * 1000 + 500;
    setTimeSource(&fakeClock);
    EXPECT_EQ(u_time(), t);
    const int64_t day1 = today();
    EXPECT_EQ(localTimeOf(day1).hour, 0);
    EXPECT_EQ(currentTime(), "2026-03-28 23:59:59.500");
    EXPECT_EQ(dateTimeStr(t, false), "28.03.2026");
    EXPECT_EQ(dateTimeStr(t, true), "28.03.2026 23:59:59");
    EXPECT_EQ(fileNameFromDate("log", "/l", "crt"), "/l/log20260328.crt");

    g_nowMs += 1000;  // midnight
    EXPECT_NE(today(), day1);
    EXPECT_EQ(fileNameFromDate("log", "/l", "crt"), "/l/log20260329.crt");
    // A calendar day across the DST change keeps the wall time.
    const int64_t next = incDays(t, 1);
    EXPECT_EQ(dateTimeStr(next, true), "29.03.2026 23:59:59");
    EXPECT_EQ(next - t, 23 * 3600);
    EXPECT_EQ(daysBetween(t, incDays(t, 366)), 366);
    EXPECT_EQ(dateTimeStr(0), "");

    // Times beyond 2038 work (64-bit).
    d.year = 2100;
    d.month = 1;
    d.day = 1;
    d.hour = d.minute = d.second = 0;
    const int64_t far = fromGmTime(d);
    EXPECT_GT(far, int64_t(4102444799));
    EXPECT_EQ(gmCompactStr(far), "21000101000000");
    int64_t back = 0;
    ASSERT_TRUE(parseGmCompact("21000101000000", back));
    EXPECT_EQ(back, far);
    EXPECT_FALSE(parseGmCompact("2100010100000x", back));
    EXPECT_FALSE(parseGmCompact("21001301000000", back));
    setTimeSource(nullptr);
}

namespace {
std::string g_order;
void hookA(int* flags, void*) {
    g_order += "A";
    (void)flags;
}
void hookB(int* flags, void*) {
    g_order += "B";
    *flags = 0;
}
}  // namespace

TEST(Abort, HooksRunLastFirst) {
    addAbortHook(&hookA);
    addAbortHook(&hookB);
    setAbortring(1);
    EXPECT_TRUE(isAborting());
    int flags = 1;
    doOnAnbort(&flags);
    EXPECT_EQ(g_order, "BA");
    EXPECT_EQ(flags, 0);
    removeAbortHook(&hookB);
    doOnAnbort(nullptr);
    EXPECT_EQ(g_order, "BAA");
    setAbortring(0);
    EXPECT_FALSE(isAborting());
}

// A process that switched core dumps off writes no core file: no size left
// for one, and not dumpable.
TEST(Abort, CoreDumpsAreSwitchedOff) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!disableCoreDumps()) ::_exit(1);
        rlimit r{};
        if (::getrlimit(RLIMIT_CORE, &r) != 0 || r.rlim_cur != 0 || r.rlim_max != 0) ::_exit(2);
        ::_exit(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0 ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
