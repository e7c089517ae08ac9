// Start-up of the real program: from fork to the first time its painted window
// is flushed to the (offscreen) screen, and its resident memory at that moment.
// The program prints nothing itself; the harness turns on Qt's own painting log
// in the child's environment and waits for the window's first flush in it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ratio_report.h"

namespace {

constexpr int Runs = 15;
constexpr double StartupGoalMs = 300;
constexpr double MemoryGoalMB = 60;

std::string programPath() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / "qx530config").string();
}

double residentMB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

struct Sample {
    double ms = -1;
    double mb = -1;
};

// One start: -1 ms when the window never showed within the time-out.
Sample startOnce(const std::string& program, const std::string& configHome) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("QT_LOGGING_RULES", "qt.widgets.painting=true", 1);
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", configHome.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    Sample sample;
    if (pid > 0) {
        std::string pending;
        char buffer[4096];
        const auto deadline = start + std::chrono::seconds(30);
        while (sample.ms < 0 && std::chrono::steady_clock::now() < deadline) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            pending.append(buffer, std::size_t(n));
            std::size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (line.find("Flushing QRegion") != std::string::npos &&
                    line.find("TfrmModule") != std::string::npos) {
                    sample.ms = std::chrono::duration<double, std::milli>(
                                    std::chrono::steady_clock::now() - start).count();
                    sample.mb = residentMB(pid);
                    break;
                }
            }
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    close(pipeFds[0]);
    return sample;
}

} // namespace

int main() {
    const std::string program = programPath();
    if (access(program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench_startup: %s not found (build the qx530config target)\n", program.c_str());
        return 1;
    }
    char pattern[] = "/tmp/qxbench-start-XXXXXX";
    const char* home = mkdtemp(pattern);
    if (!home) return 1;
    std::filesystem::create_directories(std::string(home) + "/VELDO/QX530RM2Config/ports");

    startOnce(program, home);   // warms the page cache and the font cache
    std::vector<double> times;
    double peakMB = 0;
    for (int i = 0; i < Runs; ++i) {
        const Sample s = startOnce(program, home);
        if (s.ms < 0) {
            std::fprintf(stderr, "bench_startup: the window was not shown\n");
            std::filesystem::remove_all(home);
            return 1;
        }
        times.push_back(s.ms);
        peakMB = std::max(peakMB, s.mb);
    }
    std::filesystem::remove_all(home);
    std::sort(times.begin(), times.end());
    reportRatio("start-up to first shown window, median of " + std::to_string(Runs), times[times.size() / 2],
                StartupGoalMs, "ms");
    reportRatio("start-up to first shown window, slowest of " + std::to_string(Runs), times.back(),
                StartupGoalMs, "ms");
    reportRatio("resident memory with the window shown, largest", peakMB, MemoryGoalMB, "MB");
    return 0;
}
