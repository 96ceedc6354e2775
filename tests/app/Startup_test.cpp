#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "platform/runtime/Abort.h"
#include "platform/runtime/FileUtils.h"
#include "requests/UserExParsFrame.h"
#include "platform/runtime/Translation.h"
#include "platform/core/config/CfgMacros.h"
#include "app/DailyLog.h"
#include "platform/runtime/Messages.h"

namespace {

// The default steps, each recording its name first; `change` adjusts them.
struct StartRun {
    std::vector<std::string> steps;
    std::string shown;  // texts of the windows the modal hook saw
    int code = -1;
};

StartRun runWith(const std::function<void(TStartupSteps&)>& change) {
    StartRun r;
    resetStartupState();
    setStartupTrace([&r](const char* s) { r.steps.push_back(s); });
    SetModalHook([&r](TObject* w) -> int {
        if (auto* f = dynamic_cast<TCustomForm*>(w)) r.shown += f->Caption() + ";";
        return mrOk;
    });
    TStartupSteps s = defaultStartupSteps();
    s.releaseP11 = [] {};
    change(s);
    r.code = runProgram(s);
    setStartupTrace(nullptr);
    SetModalHook(nullptr);
    return r;
}

// Each case runs the start as a fresh process would, and leaves no window,
// configuration, macro, log or language behind.
struct Startup : ::testing::Test {
    TCString savedModule;
    void SetUp() override { savedModule = getModuleFileName(); }
    void TearDown() override {
        if (Application) {
            Application->DestroyComponents();
            Application->ResetTerminated();
        }
        SetModalHook(nullptr);
        setStartupTrace(nullptr);
        resetStartupState();
        resetDailyLog();
        zrnResetTranslation();
        setModuleFileName(savedModule.c_str());
        clearCFGMacros();
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(std::getenv("ALLUSERSPROFILE")) / "zoren", ec);
    }
};

const std::vector<std::string> kUpToInit = {"application", "style", "translations", "commandLine",
                                            "title",       "forms", "init"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(Startup, OrderOfANormalRun) {
    bool closed = false;
    const StartRun r = runWith([&](TStartupSteps& s) {
        s.initMainForm = [](TZrXZerUvoridoForm*) { return true; };
        s.runMessageLoop = [&] {
            // The loop runs with the main window, titled and with its menu.
            TCustomForm* main = Application->MainForm();
            ASSERT_NE(main, nullptr);
            EXPECT_EQ(main->Caption(), "Модуль генерации запросов");
            EXPECT_EQ(Application->Title(), "Модуль генерации запросов");
            auto* form = dynamic_cast<TZrXZerUvoridoForm*>(main);
            ASSERT_NE(form, nullptr);
            EXPECT_TRUE(form->ctxFrame->actClose->Execute());  // "Выход" closes it cleanly
            closed = Application->Terminated();
        };
    });
    EXPECT_EQ(r.code, EXIT_NORMAL);
    EXPECT_EQ(r.steps, with(kUpToInit, {"loop", "releaseP11"}));
    EXPECT_TRUE(closed);
    // No hidden settings window is made at start: the settings command
    // builds its own dialog each time.
    bool settings = false;
    for (int i = 0; i < Application->ComponentCount(); ++i)
        settings |= Application->Components(i)->ClassName() == "TZrXCViewerConfigForm";
    EXPECT_FALSE(settings);
}

// The translations step initialises the libraries' translations, which
// brings the texts of their result codes to the runtime's message table.
TEST_F(Startup, TranslationsStepRegistersTheLibrariesTexts) {
    KRTL_RemoveFacilityMessages(0x080u);
    ASSERT_EQ(KRTL_GetTextMessage(0xC0800087u).str(), "Код ошибки 0xC0800087");
    defaultStartupSteps().initTranslations();
    EXPECT_EQ(KRTL_GetTextMessage(0xC0800087u).str(), "Издатель не является центром сертификации");
}

TEST_F(Startup, HelpEndsBeforeAnyWindowAndWithoutTheRelease) {
    const StartRun r = runWith([](TStartupSteps& s) { s.parseCommandLine = [] { return false; }; });
    EXPECT_EQ(r.code, EXIT_NORMAL);
    EXPECT_EQ(r.steps, (std::vector<std::string>{"application", "style", "translations", "commandLine"}));
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(Startup, CancelledAndFailedInitialisation) {
    // Cancelled (update asks to close, start-up dialog cancelled): no loop, exit 0.
    StartRun r = runWith([](TStartupSteps& s) { s.initMainForm = [](TZrXZerUvoridoForm*) { return false; }; });
    EXPECT_EQ(r.code, EXIT_NORMAL);
    EXPECT_EQ(r.steps, with(kUpToInit, {"releaseP11"}));
    EXPECT_TRUE(Application->Terminated());
    ASSERT_NE(Application->MainForm(), nullptr);
    EXPECT_FALSE(Application->MainForm()->Visible());
}

TEST_F(Startup, FailedInitialisationEndsWithOne) {
    const StartRun r = runWith([](TStartupSteps& s) {
        s.initMainForm = [](TZrXZerUvoridoForm*) {
            markStartupFailed();
            return false;
        };
    });
    EXPECT_EQ(r.code, EXIT_START_FAILED);
    EXPECT_EQ(r.steps, with(kUpToInit, {"releaseP11"}));
}

TEST_F(Startup, ExceptionIsShownAndTheReleaseStillRuns) {
    bool released = false;
    const StartRun r = runWith([&](TStartupSteps& s) {
        s.createForms = []() -> TZrXZerUvoridoForm* { throw Exception("Окно не создано"); };
        s.releaseP11 = [&] { released = true; };
    });
    EXPECT_EQ(r.code, EXIT_START_FAILED);
    EXPECT_TRUE(released);
    EXPECT_EQ(r.steps, (std::vector<std::string>{"application", "style", "translations", "commandLine", "title",
                                                 "forms", "releaseP11"}));
    EXPECT_FALSE(r.shown.empty());  // the exception display showed a window
}

TEST_F(Startup, MainWindowInitWithoutConfigurationFails) {
    // The real init: no application configuration in the private data folder.
    const StartRun r = runWith([](TStartupSteps&) {});
    EXPECT_EQ(r.code, EXIT_START_FAILED);
    EXPECT_EQ(r.steps, with(kUpToInit, {"update", "config", "releaseP11"}));
    EXPECT_NE(r.shown.find("Ошибка"), std::string::npos) << r.shown;
}

// ---- abort

namespace {
void quietHook(int* flags, void*) {
    const char m[] = "hook ran\n";
    ssize_t w = write(STDERR_FILENO, m, sizeof m - 1);
    (void)w;
    *flags = 0;  // nothing to show
}
}  // namespace

TEST(StartupDeathTest, AbortSignalEndsWithThree) {
    EXPECT_EXIT(
        {
            installAbortHandling();
            std::abort();
        },
        testing::ExitedWithCode(EXIT_ABORTED), "Критическая ошибка!");
}

TEST(StartupDeathTest, TerminateRunsTheHooksAndEndsWithThree) {
    EXPECT_EXIT(
        {
            installAbortHandling();
            addAbortHook(quietHook);
            std::terminate();
        },
        testing::ExitedWithCode(EXIT_ABORTED), "^hook ran\n$");
}

TEST(StartupDeathTest, UncaughtExceptionShowsTheFatalErrorAndEndsWithThree) {
    EXPECT_EXIT(
        {
            installAbortHandling();
            std::thread([] { throw std::runtime_error("сбой в потоке"); }).join();
        },
        testing::ExitedWithCode(EXIT_ABORTED), "сбой в потоке(.|\n)*Критическая ошибка!");
}

TEST_F(Startup, MainWindowInitWithConfigurationRunsTheLoop) {
    namespace fs = std::filesystem;
    const fs::path xcfg = fs::path(std::getenv("ALLUSERSPROFILE")) / "zoren/ZrX509_ZERUvorido/xcfg";
    fs::create_directories(xcfg);
    const fs::path shipped = fs::path(ZRX_SOURCE_DIR) / "app/data/xcfg";
    for (const auto& e : fs::directory_iterator(shipped)) fs::copy_file(e.path(), xcfg / e.path().filename());
    setModuleFileName("ZrX509_ZERUvorido");

    TZrXZerUvoridoForm* seen = nullptr;
    const StartRun r = runWith([&](TStartupSteps& s) {
        s.runMessageLoop = [&] { seen = dynamic_cast<TZrXZerUvoridoForm*>(Application->MainForm()); };
    });
    EXPECT_EQ(r.code, EXIT_NORMAL) << r.shown;
    EXPECT_EQ(r.steps, with(kUpToInit, {"update", "config", "log", "dialog", "loop", "releaseP11"}));
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(seen->Visible());
    // The new-key items of the configuration are under "Создать ключи".
    EXPECT_TRUE(seen->NewKeyMI->Visible());
    EXPECT_GT(seen->NewKeyMI->Count(), 0);
    // The daily log was opened in APPLDATA/logs.
    EXPECT_TRUE(fs::is_directory(xcfg.parent_path() / "logs"));
    // The generator's request page took the place of the general one.
    const TFPropFrmConctructorRec* page = findReqPropsFrame("UserExPars");
    ASSERT_NE(page, nullptr);
    TCBaseReqPropsFrame* frame = page->constructor(nullptr);
    EXPECT_NE(dynamic_cast<TCreatorUserExPars*>(frame), nullptr);
    frame->Free();
}

TEST_F(Startup, SnapshotsWithoutAutoCloseAreTakenAsWindowsBecomeActive) {
    zrxtest::TempDir dir;
    const std::string shots = dir.file("new/shots");
    setenv("ZRX_TEST_SNAPSHOTS", shots.c_str(), 1);
    const StartRun r = runWith([](TStartupSteps& s) {
        s.initMainForm = [](TZrXZerUvoridoForm*) { return true; };
        s.runMessageLoop = [] {
            Application->MainForm()->Show();
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
        };
    });
    unsetenv("ZRX_TEST_SNAPSHOTS");
    EXPECT_EQ(r.code, EXIT_NORMAL);
    EXPECT_TRUE(std::filesystem::exists(shots + "/main.png"));
    // The hook is gone with the run.
    EXPECT_FALSE(bool(Screen->OnActiveFormChange));
}
