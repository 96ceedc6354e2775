#include "app/CommandLine.h"

#include <cstdio>

#include "app/DailyLog.h"
#include "components/CCompStorage.h"
#include "locations/ContainerPrompt.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"

namespace {
std::vector<std::string> g_args;
std::string g_programName;
UsageShowFunc g_showUsage = nullptr;
bool g_noRestore = false;

void showUsage() {
    const TCString text =
        TCString::format(zrnTranslateString(commandLineUsageText().c_str()).c_str(), commandLineProgramName().c_str());
    if (g_showUsage) {
        g_showUsage(text.c_str());
        return;
    }
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

void setCommandLineArgs(int argc, char** argv) {
    g_programName.clear();
    if (argc > 0 && argv && argv[0]) {
        const std::string started = argv[0];
        g_programName = started.substr(started.find_last_of('/') + 1);
    }
    g_args.clear();
    for (int i = 1; i < argc; ++i) g_args.emplace_back(argv[i] ? argv[i] : "");
}

void setCommandLineArgs(const std::vector<std::string>& args) { g_args = args; }

UsageShowFunc setUsageShowFunc(UsageShowFunc fn) {
    const UsageShowFunc old = g_showUsage;
    g_showUsage = fn;
    return old;
}

bool commandLineNoRestore() { return g_noRestore; }

TCString commandLineProgramName() {
    if (!g_programName.empty()) return TCString(g_programName);
    const TCString module = getModuleFileName();
    return module.pos("/") >= 0 ? module.afterLast('/') : module;
}

TCString commandLineUsageText() {
    TCString t(
        "Командная строка:\n"
        "%s <имя контейнера личных ключей [-norest] [-?]  где:\n"
        "    имя контейнера личных ключей - полный путь к файлу или имя ностителя\n");
    t += std::string(58, ' ');
    t += "c контейнером  личных ключей;\n"
         "    -norest - не восстанавливать сохраненные размеры и позицию\n";
    t += std::string(14, ' ');
    t += "окон и элементов управления в процессе работы программы;\n"
         "    -?, или -h, или -help - вывод данного окна справки.";
    return t;
}

bool parseCommandLine() {
    for (const std::string& arg : g_args) {
        TCString a(arg);
        a.lower();
        // "/" stands for "-", but here it also opens every absolute path: a
        // "/" argument that names no switch is a plain argument.
        if (a.at(0) == '/') {
            a.data()[0] = '-';
            if (a != "-norest" && a != "-dbg" && a != "-?" && a != "-h" && a != "-help") a.clear();
        }
        if (a.at(0) == '-') {
            if (a == "-norest") {
                g_noRestore = true;
                cstNoRestoreComponens();
            } else if (a == "-dbg") {
                debugSwitch = 1;
            } else if (a == "-?" || a == "-h" || a == "-help") {
                showUsage();
                return false;
            }
            continue;  // other switches are ignored
        }
        // Arguments are UTF-8 already, the program's 8-bit code page.
        cmdLineCtxName = arg;
    }
    return true;
}
