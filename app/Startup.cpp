#include "app/Startup.h"

#include "platform/x509api/ZrX509Api.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "app/config/CaConfig.h"
#include "app/CommandLine.h"
#include "app/config/ConfigBase.h"
#include "app/config/ConfigGlobals.h"
#include "app/MainForm.h"
#include "dialogs/MessageView.h"
#include "dialogs/AppServices.h"
#include "app/StartupDialog.h"
#include "app/config/StyleChooser.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/QtTranslations.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/Abort.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/p11/P11Support.h"

// The configuration objects are built at static initialisation by
// ConfigGlobals (the certification authority's configuration, then the
// program settings); the entry names it, which keeps that unit in the
// program. The other objects of the start live with their code and are
// built on first use; none of them reads a file or a path macro.

namespace {
bool g_failed = false;
TStartupTrace g_trace;
int g_argc = 0;
char** g_argv = nullptr;

const char* const kAbortText = "Критическая ошибка! Работа программы будет завершено в аварийном режиме.";

// The abort message prepared while translation is safe to call: the signal
// handler may only write it.
char g_abortText[1024];
size_t g_abortLen = 0;

void prepareAbortText() {
    const TCString t = zrnTranslateString(kAbortText);
    const int n = std::snprintf(g_abortText, sizeof g_abortText, "%s\n", t.c_str());
    g_abortLen = n < 0 ? 0 : std::min(size_t(n), sizeof g_abortText - 1);
}

extern "C" void abortSignalHandler(int) {
    // Async-signal-safe only: write the prepared text and end.
    if (g_abortLen) {
        ssize_t r = write(STDERR_FILENO, g_abortText, g_abortLen);
        (void)r;
    }
    _exit(EXIT_ABORTED);
}

void terminateHandler() {
    if (std::exception_ptr e = std::current_exception()) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            std::fprintf(stderr, "%s\n", x.what());
        } catch (...) {}
    }
    abortHandler();
}

// ---- test-only switches, each working on its own; nothing of this runs
// without the variables.
// ZRX_TEST_AUTOCLOSE answers every modal window with its default button
// (printing what it showed to stderr) and closes the main window once it runs.
// ZRX_TEST_SNAPSHOTS names a folder (created when missing) for PNGs of the
// windows, each taken once pending layout and paint have been processed:
// with AUTOCLOSE, of each window it answers and of the main window; without,
// of each window as it becomes active.
String g_snapshotDir;
int g_snapshotCount = 0;
TNotifyEvent g_savedActiveFormChange;
bool g_snapshotsOnActivation = false;

bool testAutoClose() {
    const char* v = std::getenv("ZRX_TEST_AUTOCLOSE");
    return v && *v && std::strcmp(v, "0") != 0;
}

void snapshot(TControl* c, const String& name) {
    if (g_snapshotDir.empty() || !c) return;
    Application->ProcessMessages();
    SaveControlImage(c, g_snapshotDir + "/" + name + ".png");
}

String snapshotName(TCustomForm* f) {
    if (f == Application->MainForm()) return "main";
    const char* kind = dynamic_cast<TMessageViewForm*>(f) ? "message-" : "window-";
    return kind + std::to_string(++g_snapshotCount);
}

// Without AUTOCLOSE the windows are real: each is taken the first time it
// becomes active, once the events pending then are processed.
void snapshotOnActivation() {
    g_savedActiveFormChange = Screen->OnActiveFormChange;
    g_snapshotsOnActivation = true;
    Screen->OnActiveFormChange = [](TObject* sender) {
        fire(g_savedActiveFormChange, sender);
        // Once per window: the timer stays with it as the mark.
        TCustomForm* f = Screen->ActiveForm();
        if (!f || f->IsDestroying() || f->FindComponent("zrxSnapshotTimer")) return;
        auto* t = new TTimer(f);
        t->SetName("zrxSnapshotTimer");
        t->SetInterval(1);
        t->OnTimer = [t, f](TObject*) {
            t->SetEnabled(false);
            snapshot(f, snapshotName(f));
        };
        t->SetEnabled(true);
    };
}

void installTestHooks() {
    g_snapshotDir.clear();
    if (const char* d = std::getenv("ZRX_TEST_SNAPSHOTS"); d && *d) {
        g_snapshotDir = d;
        if (makeDirectory(d) != 0) {
            std::fprintf(stderr, "cannot create the snapshot folder %s\n", d);
            g_snapshotDir.clear();
        }
    }
    if (!testAutoClose()) {
        if (!g_snapshotDir.empty()) snapshotOnActivation();
        return;
    }
    SetModalHook([](TObject* w) -> int {
        if (auto* m = dynamic_cast<TMessageViewForm*>(w)) {
            std::fprintf(stderr, "[message] %s: %s\n", m->Caption().c_str(), m->message().c_str());
            snapshot(m, snapshotName(m));
            if (TButton* b = m->DefaultButton()) return b->ModalResult();
            if (TButton* b = m->CancelButton()) return b->ModalResult();
            return mrCancel;
        }
        if (auto* s = dynamic_cast<TSysMessageBox*>(w)) {
            std::fprintf(stderr, "[box] %s: %s\n", s->Caption.c_str(), s->Text.c_str());
            return 0;
        }
        // The start-up dialog has no choice made: take "open an existing
        // container", the one choice that needs no key profile.
        if (auto* d = dynamic_cast<TStatupCreatorDialog*>(w))
            if (d->chk1->Visible()) d->chk1->SetChecked(true);
        if (auto* f = dynamic_cast<TCustomForm*>(w)) {
            std::fprintf(stderr, "[window] %s\n", f->Caption().c_str());
            snapshot(f, snapshotName(f));
            if (TButton* b = f->DefaultButton()) return b->ModalResult();
        }
        return mrCancel;
    });
    std::fflush(stderr);
}

void removeTestHooks() {
    if (!g_snapshotsOnActivation) return;
    if (Screen) Screen->OnActiveFormChange = std::move(g_savedActiveFormChange);
    g_savedActiveFormChange = nullptr;
    g_snapshotsOnActivation = false;
}

void scheduleTestClose(TZrXZerUvoridoForm* main) {
    if (!testAutoClose() || !main) return;
    auto* t = new TTimer(main);
    t->SetInterval(20);
    t->OnTimer = [t, main](TObject*) {
        t->SetEnabled(false);
        snapshot(main, "main");
        std::fprintf(stderr, "[main] %s\n", main->Caption().c_str());
        std::fflush(stderr);
        main->Close();
    };
    t->SetEnabled(true);
}

void showUsageInWindow(const char* text) { messageDlg(text, mtInformation, mbSet(mbOK)); }
}  // namespace

void markStartupFailed() { g_failed = true; }
bool startupFailed() { return g_failed; }
void resetStartupState() {
    g_failed = false;
    g_trace = nullptr;
}

void setStartupTrace(TStartupTrace trace) { g_trace = std::move(trace); }
void startupStep(const char* step) {
    if (g_trace) g_trace(step);
}

TStartupSteps defaultStartupSteps() {
    TStartupSteps s;
    s.initApplication = [] {
        if (!Application) Application = new TApplication(nullptr);
        if (!Screen) Screen = new TScreen(nullptr);
        Application->Initialize(g_argc, g_argv);
    };
    s.applyStyle = [] { applyStoredStyle("Light Sky Blue"); };
    s.initTranslations = [] {
        ZrX_IntTranslations(2, 0);
        // Qt's own dialogs in the same language; none chosen is Russian.
        const int language = getCurrentLanguageID();
        InstallFrameworkTranslations(getLanguageCode(language > 0 ? language : ZRN_LANG_RUSSIAN).str());
        prepareAbortText();
    };
    s.parseCommandLine = [] {
        setUsageShowFunc(showUsageInWindow);
        return parseCommandLine();
    };
    s.setTitle = [] { Application->SetTitle(zrnTranslateString("Модуль генерации запросов").str()); };
    s.createForms = []() -> TZrXZerUvoridoForm* {
        // Only the main window: the settings command builds its dialog each
        // time it runs, so a hidden one made here would only slow the start.
        TZrXZerUvoridoForm* main = nullptr;
        Application->CreateForm(main);
        return main;
    };
    s.initMainForm = [](TZrXZerUvoridoForm* main) { return main->init(); };
    s.runMessageLoop = [] { Application->Run(); };
    s.releaseP11 = [] { doneP11Lib(); };
    return s;
}

int runProgram(const TStartupSteps& steps) {
    auto step = [](const char* name, const std::function<void()>& fn) {
        startupStep(name);
        if (fn) fn();
    };
    try {
        step("application", steps.initApplication);
        installTestHooks();
        step("style", steps.applyStyle);
        step("translations", steps.initTranslations);
        startupStep("commandLine");
        if (steps.parseCommandLine && !steps.parseCommandLine()) return EXIT_NORMAL;
        step("title", steps.setTitle);
        startupStep("forms");
        TZrXZerUvoridoForm* main = steps.createForms ? steps.createForms() : nullptr;
        startupStep("init");
        const bool ok = main && steps.initMainForm ? steps.initMainForm(main) : main != nullptr;
        if (!ok) {
            if (main) main->Close();
        } else {
            scheduleTestClose(main);
            step("loop", steps.runMessageLoop);
        }
    } catch (const std::exception& e) {
        markStartupFailed();
        if (Application && IsUserInterfaceThread()) Application->ShowException(e);
        else std::fprintf(stderr, "%s\n", e.what());
    }
    step("releaseP11", steps.releaseP11);
    removeTestHooks();
    return startupFailed() ? EXIT_START_FAILED : EXIT_NORMAL;
}

int programEntry(int argc, char** argv) {
    g_argc = argc;
    g_argv = argv;
    // Before anything holds a key or a password.
    disableCoreDumps();
    installAbortHandling();
    // The password policy is registered by static initialisers of its unit;
    // naming it keeps the unit in the program.
    (void)passwordPolicyRegistered();
    initConfigGlobals();
    setCommandLineArgs(argc, argv);
    const int code = runProgram(defaultStartupSteps());
    // The framework frees the windows it owns.
    if (Application) Application->DestroyComponents();
    return code;
}

// ---- abort

void installAbortHandling() {
    if (!g_abortLen) prepareAbortText();
    std::set_terminate(terminateHandler);
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = abortSignalHandler;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGABRT, &sa, nullptr);
}

void showFatalError(const char* text) {
    TCString caption = getModuleFileName();
    if (caption.pos("/") >= 0) caption = caption.afterLast('/');
    SysMessageBox(text ? text : "", caption.str(), MB_ICONERROR | MB_SETFOREGROUND);
}

void abortHandler() {
    static std::atomic<bool> running{false};
    if (running.exchange(true)) _exit(EXIT_ABORTED);
    setAbortring(1);
    int flags = 1;
    doOnAnbort(&flags);
    if (flags) showFatalError(zrnTranslateString(kAbortText).c_str());
    setAbortring(0);
    std::fflush(stderr);
    _exit(EXIT_ABORTED);
}
