// The scan's cost against its fixed budget: an answered try costs the 31 ms of
// write pauses, an unanswered one those plus the 200 ms reply limit.
#include <cstdio>

#include <QApplication>
#include <QCheckBox>

#include "app/frm_module.h"
#include "app/globals.h"
#include "bench_support.h"
#include "ratio_report.h"

namespace {

constexpr double PausesMs = 31, ReplyLimitMs = 200;

double timeScan(bool locked) {
    TfrmModule form;
    frmModule = &form;
    form.show();
    QApplication::processEvents();
    form.chkLock->setChecked(locked);
    const auto start = std::chrono::steady_clock::now();
    form.btnScanClick();
    const double ms = secondsSince(start) * 1000;
    frmModule = nullptr;
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool full = argc > 1 && std::string(argv[1]) == "--full";

    {
        // Found at the first try on COM1, then identified: one answered find
        // plus three answered identification commands after 100 ms pauses.
        BenchFolder folder;
        folder.add(1, 5);
        const double budget = PausesMs + 3 * (100 + PausesMs);
        reportAgainstFloor("scan: found at the first try and identified", timeScan(true), budget, "ms");
    }
    {
        BenchFolder folder;
        for (int com = 1; com <= 16; ++com) folder.add(com, 5).setBehaviour("AC", {sim::Fault::Silent});
        reportAgainstFloor("scan: 16 silent ports, chkLock checked", timeScan(true), 16 * 2 * (PausesMs + ReplyLimitMs), "ms");
        if (full)
            reportAgainstFloor("scan: 16 silent ports, chkLock unchecked (192 settings)", timeScan(false),
                        192 * 2 * (PausesMs + ReplyLimitMs), "ms");
        else
            std::printf("(pass --full for the 192-setting scan, about a minute and a half)\n");
    }
    {
        BenchFolder folder;   // an empty ports/ map: no port exists
        reportRatio("scan: 16 missing ports", timeScan(true), 50, "ms");
    }
    return 0;
}
