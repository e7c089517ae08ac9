#pragma once
// Shared by the window benchmarks: a temporary configuration folder with a
// ports/ map, simulated controllers in it, tones recorded instead of played.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <time.h>

#include "app/beep.h"
#include "sim/sim_controller.h"

class BenchFolder {
public:
    BenchFolder() {
        char pattern[] = "/tmp/qxbench-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("no temporary configuration folder");
            std::exit(1);
        }
        base_ = pattern;
        setenv("XDG_CONFIG_HOME", base_.c_str(), 1);
        std::filesystem::create_directories(folder() + "/ports");
        setBeepSink([](int, int) {});
    }
    ~BenchFolder() {
        controllers.clear();
        std::error_code ignored;
        std::filesystem::remove_all(base_, ignored);
    }
    std::string folder() const { return base_ + "/VELDO/QX530RM2Config"; }
    sim::SimController& add(int com, int setting) {
        sim::Options options;
        options.configDir = folder();
        options.comNumber = com;
        options.settingIndex = setting;
        controllers.push_back(std::make_unique<sim::SimController>(options));
        controllers.back()->start();
        return *controllers.back();
    }
    std::vector<std::unique_ptr<sim::SimController>> controllers;

private:
    std::string base_;
};

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
