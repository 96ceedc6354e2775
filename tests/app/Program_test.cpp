#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "support/TempDir.h"

namespace {
struct Result {
    int exitCode;
    std::string out;
};

// The program answers its own windows (printing them to stderr) and closes
// its main window once running; see ZRX_TEST_AUTOCLOSE.
Result run(const std::string& args, const std::string& env = "") {
    const std::string cmd = env + " ZRX_TEST_AUTOCLOSE=1 '" + ZRX_PROGRAM + "' " + args + " 2>&1";
    Result r{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.exitCode = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string logFolder() { return std::string(std::getenv("ALLUSERSPROFILE")) + "/zoren/ZrX509_ZERUvorido/logs"; }

// The shipped application configuration where the program looks for it.
void installConfig() {
    namespace fs = std::filesystem;
    const fs::path to = fs::path(std::getenv("ALLUSERSPROFILE")) / "zoren/ZrX509_ZERUvorido/xcfg";
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(fs::path(ZRX_PROGRAM).parent_path() / "xcfg"))
        fs::copy_file(e.path(), to / e.path().filename(), fs::copy_options::overwrite_existing);
}

// Each run is a first start on a fresh machine: its own home, data folders
// and registry; the process's own folders are back afterwards.
struct Program : ::testing::Test {
    std::string savedHome;
    std::unique_ptr<zrxtest::TempDir> machine;
    void SetUp() override {
        savedHome = std::getenv("HOME");
        machine = std::make_unique<zrxtest::TempDir>();
        zrxtest::usePrivateFolders(machine->str());
    }
    void TearDown() override {
        zrxtest::usePrivateFolders(savedHome);
        unsetenv("ZRX_LANGUAGE");
    }
};
}  // namespace

TEST_F(Program, HelpPrintsUsageAndEnds) {
    const Result r = run("-?");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Командная строка:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("-norest"), std::string::npos);
    // The program as it was started, not a file of another system.
    EXPECT_NE(r.out.find("\nZrX509_ZERUvorido <"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(".exe"), std::string::npos) << r.out;
    // No log was started.
    EXPECT_FALSE(std::filesystem::exists(logFolder()));
}

// Core dumps are switched off before anything holds a key or a password:
// started with no limit on core files, the program has none left when it
// ends (read while it waits to be reaped).
TEST_F(Program, StartsWithCoreDumpsSwitchedOff) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string script = "ulimit -c unlimited && ZRX_TEST_AUTOCLOSE=1 exec \"$0\" -?";
    const std::string program = ZRX_PROGRAM;
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script.c_str()),
                    const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ASSERT_EQ(rc, 0);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    ::close(out[0]);
    std::string coreLimit;
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    for (std::string line; std::getline(limits, line);)
        if (line.rfind("Max core file size", 0) == 0) coreLimit = line;
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << text;
    ASSERT_EQ(WEXITSTATUS(status), 0) << text;
    EXPECT_NE(text.find("-norest"), std::string::npos) << text;  // the program itself ran
    ASSERT_FALSE(coreLimit.empty());
    std::istringstream fields(coreLimit.substr(sizeof "Max core file size" - 1));
    std::string soft, hard;
    fields >> soft >> hard;
    EXPECT_EQ(soft, "0") << coreLimit;
    EXPECT_EQ(hard, "0") << coreLimit;
}

TEST_F(Program, HelpIsTranslated) {
    setenv("ZRX_LANGUAGE", "en", 1);
    const Result r = run("/HELP");
    unsetenv("ZRX_LANGUAGE");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Command line:\nZrX509_ZERUvorido <private key"), std::string::npos) << r.out;
}

TEST_F(Program, NormalStartWritesTheLog) {
    installConfig();
    const Result r = run("-dbg some.key");
    EXPECT_NE(r.out.find("[main] Модуль генерации запросов"), std::string::npos) << r.out;
    EXPECT_EQ(r.exitCode, 0) << r.out;
    ASSERT_TRUE(std::filesystem::is_directory(logFolder()));
    std::string content;
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(logFolder())) {
        if (e.path().extension() != ".crt") continue;
        ++files;
        EXPECT_EQ(e.path().filename().string().rfind("log", 0), 0u);
        content += zrxtest::readFile(e.path().string());
    }
    EXPECT_EQ(files, 1);
    EXPECT_NE(content.find(" | 0x00000000 | Запуск программы ZrX509_ZERUvorido"), std::string::npos) << content;
    ASSERT_FALSE(content.empty());
    EXPECT_EQ(content.back(), '\n');
}

// A fresh installation: nothing installed in the configuration folder, the
// configuration shipped with the program is read, and the log says so.
TEST_F(Program, FreshInstallationStartsWithTheShippedConfiguration) {
    const Result r = run("");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("[main] Модуль генерации запросов"), std::string::npos) << r.out;
    std::string content;
    for (const auto& e : std::filesystem::directory_iterator(logFolder()))
        content += zrxtest::readFile(e.path().string());
    const std::string shipped =
        (std::filesystem::path(ZRX_PROGRAM).parent_path() / "xcfg/ZrX509_ZERUvorido.xcfg").string();
    EXPECT_NE(content.find("прочитана поставляемая с программой \"" + shipped + "\""), std::string::npos) << content;
    // The shipped folder is only read.
    EXPECT_FALSE(std::filesystem::exists(std::string(std::getenv("ALLUSERSPROFILE")) +
                                         "/zoren/ZrX509_ZERUvorido/xcfg/ZrX509_ZERUvorido.xcfg"));
}

// A start maps only what it uses: libcurl and xmlsec (with the libraries each
// brings along) are loaded by the first transfer and the first signature
// check, not by every start.
TEST_F(Program, StartLeavesTheNetworkAndSignatureLibrariesOut) {
    const Result r = run("", "LD_DEBUG=files");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    ASSERT_NE(r.out.find("libQt6Widgets.so"), std::string::npos) << "the loader lists what it loads";
    EXPECT_EQ(r.out.find("libcurl.so"), std::string::npos);
    EXPECT_EQ(r.out.find("libxmlsec1"), std::string::npos);
}

// An installed configuration that cannot be read: said in the interface
// language, and the program ends.
void installBrokenConfig() {
    namespace fs = std::filesystem;
    const fs::path to = fs::path(std::getenv("ALLUSERSPROFILE")) / "zoren/ZrX509_ZERUvorido/xcfg";
    fs::create_directories(to);
    zrxtest::writeFile((to / "ZrX509_ZERUvorido.xcfg").string(), "not a configuration");
}

TEST_F(Program, ConfigurationThatCannotBeLoadedEndsWithOne) {
    installBrokenConfig();
    Result r = run("");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    // The runtime's last message with "!" in the message window, as an error.
    EXPECT_NE(r.out.find("[message] Ошибка: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ZrX509_ZERUvorido.xcfg"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("[main]"), std::string::npos) << r.out;
    // The daily log was not started.
    EXPECT_FALSE(std::filesystem::exists(logFolder()));
    setenv("ZRX_LANGUAGE", "uk", 1);
    r = run("");
    unsetenv("ZRX_LANGUAGE");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("[message] Помилка: "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Нарушен формат"), std::string::npos) << r.out;
}

TEST_F(Program, TitleAndMessagesAreTranslated) {
    installConfig();
    setenv("ZRX_LANGUAGE", "en", 1);
    const Result r = run("");
    unsetenv("ZRX_LANGUAGE");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("[main] Request generation module"), std::string::npos) << r.out;
}

TEST_F(Program, SnapshotsGoToAFolderMadeForThem) {
    const std::string shots = machine->file("shots/run");
    // A message window (the configuration is broken), then the main window.
    installBrokenConfig();
    Result r = run("", "ZRX_TEST_SNAPSHOTS='" + shots + "'");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_TRUE(std::filesystem::exists(shots + "/message-1.png")) << r.out;
    installConfig();
    r = run("", "ZRX_TEST_SNAPSHOTS='" + shots + "'");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(std::filesystem::exists(shots + "/main.png")) << r.out;
}
