#pragma once
// The program entry's order from start to end, early exits, the exit code,
// and the abort routine that replaces the C runtime's.
#include <functional>

class TZrXZerUvoridoForm;

// Exit codes of the program.
constexpr int EXIT_NORMAL = 0;        // normal end, help, cancelled start
constexpr int EXIT_START_FAILED = 1;  // configuration not loadable, exception at start
constexpr int EXIT_ABORTED = 3;       // the abort routine ran

// The steps of the entry, in order. Each is replaceable so that tests can
// observe the order and inject what a step answers.
struct TStartupSteps {
    std::function<void()> initApplication;                  // 1 the framework application
    std::function<void()> applyStyle;                       // 2 stored style, "Light Sky Blue" by default
    std::function<void()> initTranslations;                 // 3 the libraries' translations
    std::function<bool()> parseCommandLine;                 // 4 false: help shown, end
    std::function<void()> setTitle;                         // 5 application title
    std::function<TZrXZerUvoridoForm*()> createForms;       // 6 main window, hidden settings window
    std::function<bool(TZrXZerUvoridoForm*)> initMainForm;  // 7 false: close the main window
    std::function<void()> runMessageLoop;                   // 8
    std::function<void()> releaseP11;                       // 10 always, also after an exception
};
TStartupSteps defaultStartupSteps();

// Runs the steps; answers the exit code.
int runProgram(const TStartupSteps& steps);
// The program entry: stores the arguments, installs the abort handling and
// runs the default steps.
int programEntry(int argc, char** argv);

// A step of the start-up reports that it failed (not a cancelled start).
void markStartupFailed();
bool startupFailed();
void resetStartupState();  // tests

// Named points of the start-up, for tests that check the order.
using TStartupTrace = std::function<void(const char* step)>;
void setStartupTrace(TStartupTrace trace);
void startupStep(const char* step);

// The abort path. installAbortHandling sets the terminate handler and the
// abort signal's handler; the signal handler only writes the message and
// ends the process, the terminate handler runs abortHandler.
void installAbortHandling();
[[noreturn]] void abortHandler();
// A text in the system message box with the error icon, captioned with the
// program's file name.
void showFatalError(const char* text);
