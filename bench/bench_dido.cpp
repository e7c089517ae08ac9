// CPU time of the window's thread during a DI/DO run against a controller that
// answers every poll, and the poll cycle against its fixed pauses.
#include <algorithm>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "app/frm_module.h"
#include "app/globals.h"
#include "bench_support.h"
#include "ratio_report.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchFolder folder;
    auto& controller = folder.add(3, 5);

    TfrmModule form;
    frmModule = &form;
    form.show();
    form.btnScanClick();
    if (!ControllerFound) {
        std::fprintf(stderr, "the simulated controller was not found\n");
        return 1;
    }
    controller.clearLog();

    constexpr int RunMs = 10000;
    QTimer::singleShot(RunMs, &form, [&] { form.btnDIDO->click(); });
    const double cpuStart = threadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    form.btnDIDOClick();
    const double wall = secondsSince(start);
    const double cpu = threadCpuSeconds() - cpuStart;

    const auto payloads = controller.payloads();
    const auto polls = std::count(payloads.begin(), payloads.end(), std::string("01PJ"));
    // A cycle with no box ticked: 20 waits of 2 ms, then the poll exchange
    // with its 31 ms of write pauses.
    const double fixedCycleMs = 20 * 2 + 31;
    reportRatio("DI/DO: CPU of the window thread, share of one core", 100 * cpu / wall, 10, "%");
    reportAgainstFloor("DI/DO: poll cycle against its fixed pauses", 1000 * wall / static_cast<double>(polls),
                fixedCycleMs, "ms");
    frmModule = nullptr;
    return 0;
}
