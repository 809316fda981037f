// Memory and drag figures of the windows on large photographs, driven the way
// a user drives them, offscreen:
//   fennix-memory-bench make <folder>   writes a 4000 × 3000 JPEG pair and a
//                                       project on a 6000 × 4000 bitmap pair
//   fennix-memory-bench new <folder>    新規 → pick both JPEGs → OK
//   fennix-memory-bench open <folder>   開く on the 6000 × 4000 project
//   fennix-memory-bench drag <folder>   新規 on the JPEG pair, then drag an
//                                       inner point at the opening zoom and at
//                                       100 %, CPU time per step
//   fennix-memory-bench run <folder>    開く on the 6000 × 4000 project and
//                                       モーフィング作成 (its frames go to a
//                                       temporary folder under $TMPDIR)
//   fennix-memory-bench preview <folder> 開く on the 6000 × 4000 project,
//                                       プレビュー on, then a point moved and
//                                       released, seven times: how long until
//                                       the preview shows the new state, and
//                                       the exact frame (wall and CPU time)
// Each command is its own process, so the peak resident size (VmHWM) is that
// command's alone. Pictures are made at run time from a sample.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "ui/frame/Fennix_Mdif.h"
#include "model/Settings.h"
#include "media/ImageFile.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/document/Fennix_Main.h"
#include "model/MatrixRecord.h"
#include "model/ProjectFile.h"
#include "support/RunWait.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

using namespace fennix;

namespace {

long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

void Report(const char* what) {
    std::printf("%-28s VmHWM %6ld MB   VmRSS %6ld MB\n", what, StatusKb("VmHWM") / 1024,
                StatusKb("VmRSS") / 1024);
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

QImage Photo(const char* sample, int width, int height) {
    const auto image = LoadImageFile(test::SamplePath(sample));
    return image->scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

int Make(const std::string& folder) {
    Photo("sun.bmp", 4000, 3000).save(QString::fromStdString(folder + "/start.jpg"), "JPEG", 90);
    Photo("moon.bmp", 4000, 3000).save(QString::fromStdString(folder + "/end.jpg"), "JPEG", 90);
    Photo("sun.bmp", 6000, 4000).save(QString::fromStdString(folder + "/big_1.bmp"), "BMP");
    Photo("moon.bmp", 6000, 4000).save(QString::fromStdString(folder + "/big_2.bmp"), "BMP");
    MatrixRecord m;
    m.PointerSize = 5;
    m.MatrixColor = 0xFFFFFF;
    m.PointerColor = 255;
    m.Rows = m.Columns = 5;
    m.Width = 6000;
    m.Height = 4000;
    InitMatrix(m);
    MatrixRecord m1 = m, m2 = m;
    m1.ImagePath = folder + "/big_1.bmp";
    m2.ImagePath = folder + "/big_2.bmp";
    const std::string failure =
        SaveMorphFile(folder + "/big.mph", m1, m2, folder + "/", 19, 0x808080);
    std::printf("made in %s %s\n", folder.c_str(), failure.c_str());
    return failure.empty() ? 0 : 1;
}

// 新規 through the real frame and source dialog; the new document.
Fennix_Main* NewFromJpegs(Fennix_Mdif& frame, const std::string& folder,
                          test::ScriptedPrompts& prompts) {
    frame.RunSourceDialog = [&](Fennix_Pic& dialog) {
        prompts.ChooseFilePath(folder + "/start.jpg");
        dialog.cmd_Sel_Click(0);
        prompts.ChooseFilePath(folder + "/end.jpg");
        dialog.cmd_Sel_Click(1);
        QApplication::processEvents();
        Report("both picked");
        dialog.cmd_OK_Click();
    };
    frame.mnuNewMorph_Click();
    QApplication::processEvents();
    return frame.Documents().isEmpty() ? nullptr : frame.Documents().front();
}

// Drags inner point (2, 2) of the start grid back and forth `steps` times;
// the CPU time per step in milliseconds.
double DragSteps(Fennix_Main& document, int steps) {
    const Point p = document.Document.Matrix(1).Points(2, 2);
    const double sx = double(document.Panes.P(1).Width()) / document.Panes.Poriginal(1).Width();
    const double sy = double(document.Panes.P(1).Height()) / document.Panes.Poriginal(1).Height();
    const double x = p.X * sx, y = p.Y * sy;
    document.P_MouseDown(1, Qt::LeftButton, x, y);
    if (document.Document.SelectedI != 2) std::printf("point not hit\n");
    const double start = CpuSeconds();
    for (int n = 0; n < steps; ++n)
        document.P_MouseMove(1, Qt::LeftButton, x + 1 + n % 20, y + 1 + n % 15);
    const double perStep = (CpuSeconds() - start) * 1000 / steps;
    document.P_MouseUp(1, Qt::LeftButton, x, y);
    return perStep;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s make|new|open|drag|run|preview <folder>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    ConfigureImageReading();
    const std::string command = argv[1], folder = argv[2];
    if (command == "make") return Make(folder);

    test::AppFolderScope appFolder;
    test::UseDefaultGridSettings();
    Settings.TempFolder = appFolder.Path();
    Settings.ImageFolder = appFolder.Path();
    test::ScopedPrompts prompts;
    Fennix_Mdif frame;
    frame.show();
    QApplication::processEvents();
    Report("frame shown");

    if (command == "new") {
        Fennix_Main* document = NewFromJpegs(frame, folder, *prompts);
        if (!document) return 1;
        std::printf("opened at %d x %d pane pixels\n", document->Panes.P(1).Width(),
                    document->Panes.P(1).Height());
        Report("新規 → OK");
        return 0;
    }
    if (command == "open") {
        prompts->ChooseFilePath(folder + "/big.mph");
        frame.mnuOpenMorph_Click();
        QApplication::processEvents();
        if (frame.Documents().isEmpty()) return 1;
        Fennix_Main* document = frame.Documents().front();
        std::printf("opened at %d x %d pane pixels\n", document->Panes.P(1).Width(),
                    document->Panes.P(1).Height());
        Report("開く");
        return 0;
    }
    if (command == "run" || command == "preview") {
        prompts->ChooseFilePath(folder + "/big.mph");
        frame.mnuOpenMorph_Click();
        QApplication::processEvents();
        if (frame.Documents().isEmpty()) return 1;
        Fennix_Main& document = *frame.Documents().front();
        Report("開く");
        if (command == "run") {
            prompts->Answer(MessageAnswer::No);  // 確認しますか？
            document.mnuMorphIt_Click();
            if (!test::WaitForRun(document)) return 1;
            Report("モーフィング作成");
            return 0;
        }
        document.mnuPreview_Click();
        if (!QTest::qWaitFor([&] { return !document.PreviewBusy(); }, 60000)) return 1;
        Report("プレビュー");
        // A point moved the way a drag ends: one step, then the release;
        // several times, back and forth, for the median and the least of
        // the wall and CPU times (all threads) from the release until the
        // exact frame is shown.
        const Point p = document.Document.Matrix(2).Points(2, 2);
        const double scale = double(document.Panes.P(2).Width()) / document.Panes.Poriginal(2).Width();
        const double x = p.X * scale, y = p.Y * scale;
        constexpr int kReleases = 7;
        std::vector<double> shownTimes, exactTimes, cpuTimes;
        for (int n = 0; n < kReleases; ++n) {
            const double from = n % 2 ? 12 : 0, to = n % 2 ? 0 : 12;
            document.P_MouseDown(2, Qt::LeftButton, x + from, y + from * 0.75);
            document.P_MouseMove(2, Qt::LeftButton, x + to, y + to * 0.75);
            if (!QTest::qWaitFor([&] { return !document.PreviewBusy(); }, 60000)) return 1;
            const QImage before = document.Preview.Picture();
            QElapsedTimer clock;
            const double cpu = CpuSeconds();
            clock.start();
            document.P_MouseUp(2, Qt::LeftButton, x + to, y + to * 0.75);
            double shown = -1;
            // Waits for each event as the window's loop does (the overload
            // with a time limit would not wait, and its spinning would take
            // a core from the warp).
            while (document.PreviewBusy()) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
                if (shown < 0 && document.Preview.Picture().cacheKey() != before.cacheKey())
                    shown = clock.nsecsElapsed() / 1e9;
            }
            const double exact = clock.nsecsElapsed() / 1e9;
            cpuTimes.push_back(CpuSeconds() - cpu);
            shownTimes.push_back(shown < 0 ? exact : shown);
            exactTimes.push_back(exact);
            std::printf("release %d → preview shown %.3f s, exact frame %.3f s (%.3f s CPU)\n", n + 1,
                        shownTimes.back(), exact, cpuTimes.back());
        }
        auto median = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        auto least = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
        std::printf("release → preview shown %.3f s, exact frame %.3f s, %.3f s CPU (median of %d)\n",
                    median(shownTimes), median(exactTimes), median(cpuTimes), kReleases);
        std::printf("release → preview shown %.3f s, exact frame %.3f s, %.3f s CPU (least)\n",
                    least(shownTimes), least(exactTimes), least(cpuTimes));
        Report("プレビュー after the release");
        return 0;
    }
    if (command == "drag") {
        Fennix_Main* document = NewFromJpegs(frame, folder, *prompts);
        if (!document) return 1;
        std::printf("drag step at %d px wide: %.3f ms CPU\n", document->Panes.P(1).Width(),
                    DragSteps(*document, 200));
        document->mnuZoom_Click(1);
        QApplication::processEvents();
        std::printf("drag step at %d px wide: %.3f ms CPU\n", document->Panes.P(1).Width(),
                    DragSteps(*document, 200));
        return 0;
    }
    return 2;
}
