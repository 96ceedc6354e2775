// Start-up time: the key generator and a bare Qt Widgets program showing one
// window, started side by side in one run (each start of one followed by a
// start of the other, so that the machine's load falls on both alike), both
// offscreen and in the same private folders, the program answering its own
// windows and closing under its test switch, the bare one closing after the
// same 20 ms. The medians and their ratio are printed at the end (the
// program's start should take at most 1.5 times the bare one's), for the
// time from start to end and for the processor time, which a loaded machine
// disturbs less.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A private home for both programs, made once; the first start of each
// (its registry and caches made) is not measured.
const fs::path& home() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("zrx-bench-startup-" + std::to_string(getpid()));
        fs::create_directories(d / "config");
        fs::create_directories(d / "data");
        fs::create_directories(d / "run");
        return d;
    }();
    return dir;
}

struct Cleanup {
    ~Cleanup() {
        std::error_code ec;
        fs::remove_all(home(), ec);
    }
} cleanup;

std::vector<std::string> environment(bool program) {
    const std::string h = home().string();
    std::vector<std::string> env = {
        "QT_QPA_PLATFORM=offscreen",
        "HOME=" + h,
        "XDG_CONFIG_HOME=" + h + "/config",
        "XDG_DATA_HOME=" + h + "/data",
        "XDG_RUNTIME_DIR=" + h + "/run",
        "ALLUSERSPROFILE=" + h + "/data",
        "ZRX_REGISTRY=" + h + "/registry.sqlite",
        "PATH=/usr/bin:/bin",
    };
    if (program) env.push_back("ZRX_TEST_AUTOCLOSE=1");
    return env;
}

struct Run {
    double wall = -1;  // milliseconds from the start of the process to its end; -1: it failed
    double cpu = 0;    // its processor time, user and system
};

Run runOnce(const char* path, bool program) {
    std::vector<std::string> env = environment(program);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, path, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return {};
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid) return {};
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return {std::chrono::duration<double, std::milli>(end - start).count(), ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::vector<double> g_program, g_bare, g_programCpu, g_bareCpu;

void BM_StartupSideBySide(benchmark::State& state) {
    // Warm-up: the registry, the configuration's first reading, font caches.
    runOnce(ZRX_BENCH_PROGRAM, true);
    runOnce(ZRX_BENCH_BARE, false);
    for (auto _ : state) {
        const Run program = runOnce(ZRX_BENCH_PROGRAM, true);
        const Run bare = runOnce(ZRX_BENCH_BARE, false);
        if (program.wall < 0 || bare.wall < 0) {
            state.SkipWithError("a start failed");
            break;
        }
        g_program.push_back(program.wall);
        g_bare.push_back(bare.wall);
        g_programCpu.push_back(program.cpu);
        g_bareCpu.push_back(bare.cpu);
        state.SetIterationTime((program.wall + bare.wall) / 1000.0);
    }
    const double p = median(g_program), b = median(g_bare);
    state.counters["program_ms"] = p;
    state.counters["bare_ms"] = b;
    state.counters["ratio"] = b > 0 ? p / b : 0;
    const double pc = median(g_programCpu), bc = median(g_bareCpu);
    state.counters["cpu_ratio"] = bc > 0 ? pc / bc : 0;
}
BENCHMARK(BM_StartupSideBySide)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double p = median(g_program), b = median(g_bare);
    const double pc = median(g_programCpu), bc = median(g_bareCpu);
    if (b > 0 && bc > 0)
        std::printf(
            "start-up, median of %zu: program %.1f ms, bare Qt Widgets program %.1f ms, ratio %.2f "
            "(processor time %.1f ms against %.1f ms, ratio %.2f)\n",
            g_program.size(), p, b, p / b, pc, bc, pc / bc);
    return 0;
}
