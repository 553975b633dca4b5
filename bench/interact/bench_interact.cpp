// Interaction with large surveys in the main window, offscreen, in one
// process, as an engineer meets them:
//
//  open1000      a 1000-point survey (3000 waves, 65.6 MB, 2048 samples a
//                wave) from the file list's announcement to the painted wave
//                list: read, checks, filtering and main frequencies of every
//                wave, the views filled and painted. The first open of the
//                session (its memory is new to the process), the file in the
//                page cache; two more opens are printed for comparison.
//  rss1000/file  the memory that opening costs, over the file's size: the
//                resident set size (VmRSS, /proc/self/status) just before the
//                open, the peak (VmHWM) reset to it beforehand (writing "5"
//                to /proc/self/clear_refs), the peak after the open minus the
//                size before. Linux only; 0 elsewhere.
//  focus3000     a focus change in the 3000-wave list by a click on a trace
//                in view: the click, the document's focus, every view told,
//                and the wave list repainted (the event loop run until the
//                paint is done). Median of 200.
//  cursor3000    a mouse move over that list: the position readout in the
//                status bar and the repaint of the cursor line. Median of 400
//                (the list's share alone is printed as well).
//  find3000      自动识别缺陷 on those waves: the detector on a worker thread,
//                the markers handed to the views and painted.
//  repaint3000   the whole wave list drawn again (median of 20), without
//                suggestions and (repaint3000s) with all of them shown;
//                focus3000s the focus change with the markers shown.
//  applyall3000  "应用到所有波形" with a new filter order: the edit through the
//                document, all 3000 waves filtered again, the views repainted.
//                Median of 5.
//  edit3000      "应用到当前波形" with a new filter order on the focused wave
//                of those 3000: from the button to the repainted list (median
//                of 20), less the same edit in a document without a window
//                (its filtering and bookkeeping, also printed); the window's
//                share, which draws again only that wave's strip of the list.
//
// The last lines read
//   interact-suggest: find3000=<ms> repaint3000=<ms> repaint3000s=<ms> focus3000s=<ms>
//   interact: focus3000=<ms> cursor3000=<ms> open1000=<ms> rss1000/file=<x> applyall3000=<ms> edit3000=<ms>
#include "app/systemconfig.h"
#include "bench/procstatus.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "panels/analysishelperwidget.h"
#include "ui/mainwindow.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrwavewidget.h"
#include "workspace/showkvrwavedatawidget.h"
#include "workspace/showkvrwavewidget.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// Runs the event loop until every pending repaint is on screen.
void settle()
{
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

// Runs the event loop until the window's workflow (opening, finding
// suggestions) has ended, then until its repaints are done.
void finish(const MainWindow &w)
{
    while (w.isOpening() || w.isSuggesting())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    settle();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("KVR_DATA_ROOT", dir.filePath(QStringLiteral("root/")).toUtf8());
    QApplication app(argc, argv);
    SystemConfig::instance().init(dir.filePath(QStringLiteral("param_config.xml")));
    SystemConfig::instance().setBgColorBlack(false);

    SynthOptions o;
    o.points = 1000;
    o.samples = 2048;
    const QString path = dir.filePath(QStringLiteral("p1000.ard"));
    QString error;
    if (!writeSynthSurvey(path, o, &error)) {
        std::fprintf(stderr, "synth: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 fileSize = QFileInfo(path).size();
    {
        QFile warm(path); // into the page cache
        if (warm.open(QIODevice::ReadOnly))
            while (!warm.read(1 << 20).isEmpty()) { }
    }

    MainWindow w;
    w.setCloseQuestion([](const QString &) { return MainWindow::CloseAnswer::Discard; });
    w.setMessageFunc([](const QString &, const QString &) {});
    w.resize(1280, 800);
    w.show();
    settle();
    KvrWaveWidget *listFrame = w.workspace()->waveWidget()->waveListWidget();
    KvrMultiWaveAssistantWidget *list = listFrame->waveView();

    // Memory first: the peak of this process is still the window's own.
    const qint64 before = bench::statusKb("VmRSS");
    const bool peakReset = resetPeak();
    QElapsedTimer t;
    t.start();
    w.onSelectedFile(QFileInfo(path).absolutePath(), path);
    finish(w);
    std::vector<double> opens {t.nsecsElapsed() / 1e6};
    const qint64 peak = bench::statusKb("VmHWM");
    const double rss = (peakReset && before > 0 && peak > before) ? (peak - before) * 1024.0 / fileSize : 0.0;
    if (w.document().model().waveCount() != 3000) {
        std::fprintf(stderr, "open failed: %d waves\n", w.document().model().waveCount());
        return 1;
    }
    for (int r = 0; r < 2; ++r) {
        t.start();
        w.onSelectedFile(QFileInfo(path).absolutePath(), path);
        finish(w);
        opens.push_back(t.nsecsElapsed() / 1e6);
    }
    const double open = opens[0];
    std::printf("open: %.1f MB file, %d waves, list %dx%d, pitch %.1f px: %.1f ms, again %.1f and %.1f ms; "
                "rss %lld kB before, peak %lld kB\n",
                fileSize / 1048576.0, w.document().model().waveCount(), list->width(), list->height(),
                list->tracePitch(), opens[0], opens[1], opens[2], before, peak);

    // Focus by clicks on traces in view.
    const QRectF area = list->waveArea();
    auto focusClicks = [&]() {
        std::vector<double> v;
        for (int r = 0; r < 200; ++r) {
            const QPoint at(int(area.left() + 5 + (r * 37) % int(area.width() - 10)), int(area.center().y()));
            t.start();
            QMouseEvent press(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list, &release);
            settle();
            v.push_back(t.nsecsElapsed() / 1e6);
        }
        return v;
    };
    const std::vector<double> focus = focusClicks();
    const int focused = w.document().focusIndex();
    // Mouse moves over the list, each until its repaint is done.
    auto cursorMoves = [&]() {
        std::vector<double> v;
        for (int r = 0; r < 400; ++r) {
            const QPoint at(int(area.left() + 10 + (r * 13) % int(area.width() - 20)),
                            int(area.top() + 5 + (r * 7) % int(area.height() - 10)));
            QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            t.start();
            QApplication::sendEvent(list, &move);
            settle();
            v.push_back(t.nsecsElapsed() / 1e6);
        }
        return v;
    };
    const std::vector<double> cursor = cursorMoves();
    // The same moves with the list's signals held back: its own handling and
    // repaint, without the status bar's readout.
    std::vector<double> listOnly;
    {
        const QSignalBlocker quiet(list);
        listOnly = cursorMoves();
    }
    std::printf("focus: median %.3f ms, worst %.3f ms (last focus %d); cursor: median %.3f ms, worst %.3f ms, "
                "the list alone %.3f ms\n",
                median(focus), *std::max_element(focus.begin(), focus.end()), focused, median(cursor),
                *std::max_element(cursor.begin(), cursor.end()), median(listOnly));

    // Flaw suggestions: finding them from the menu to the painted markers,
    // then whole repaints of the list without and with markers and focus
    // changes with the markers shown.
    auto repaints = [&]() {
        std::vector<double> v;
        for (int r = 0; r < 20; ++r) {
            t.start();
            list->updateWaveDisplay();
            list->repaint();
            v.push_back(t.nsecsElapsed() / 1e6);
        }
        return median(v);
    };
    const double plain = repaints();
    t.start();
    w.actionSuggestFlaws->trigger();
    finish(w);
    const double find = t.nsecsElapsed() / 1e6;
    const int found = w.flawSuggestions().count();
    const double marked = repaints();
    const std::vector<double> focusMarked = focusClicks();
    std::printf("suggestions: %d found in %.1f ms; whole list repaint %.2f ms without markers, %.2f ms with; "
                "focus with markers: median %.3f ms\n",
                found, find, plain, marked, median(focusMarked));
    std::printf("interact-suggest: find3000=%.1f repaint3000=%.2f repaint3000s=%.2f focus3000s=%.3f\n", find, plain,
                marked, median(focusMarked));

    // Apply to all waves, alternating two filter orders.
    auto *order =
        w.workspace()->waveWidget()->analysisPanel()->findChild<QLineEdit *>(QStringLiteral("lEditFilterOrder"));
    auto *all = w.workspace()->waveWidget()->analysisPanel()->findChild<QPushButton *>(
        QStringLiteral("btnSaveFilterWaveDataAll"));
    std::vector<double> apply;
    for (int r = 0; order && all && r < 5; ++r) {
        order->setText(QString::number(r % 2 ? 500 : 400));
        t.start();
        all->click();
        settle();
        apply.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("apply to all: median %.1f ms over %zu\n", median(apply), apply.size());

    // One wave's filter, through the window and in a document alone.
    auto *one =
        w.workspace()->waveWidget()->analysisPanel()->findChild<QPushButton *>(QStringLiteral("btnSaveFilterWaveData"));
    KvrDocument alone;
    if (!alone.open(path).ok)
        return 1;
    const int edited = w.document().focusIndex();
    std::vector<double> editWindow, editAlone;
    for (int r = 0; order && one && r < 20; ++r) {
        order->setText(QString::number(r % 2 ? 400 : 500));
        t.start();
        one->click();
        settle();
        editWindow.push_back(t.nsecsElapsed() / 1e6);
        const WaveAnalyzeInfoPtr info = w.document().model().waveAnalyzeInfoAt(edited);
        WaveParams p;
        p.blFilter = true;
        p.nFilterWindow = info->nFilterWindow;
        p.nLowCutoff = info->nLowCutoff;
        p.nHighCutoff = info->nHighCutoff;
        p.nFilterOrder = info->nFilterOrder;
        t.start();
        alone.applyWaveParams(edited, p);
        editAlone.push_back(t.nsecsElapsed() / 1e6);
    }
    const double editBesides = median(editWindow) - median(editAlone);
    std::printf("one wave's filter: median %.2f ms with the window, %.2f ms in the document alone, "
                "%.2f ms besides filtering (last pass drew %d traces)\n",
                median(editWindow), median(editAlone), editBesides, int(list->lastDrawnWaves().size()));
    std::printf("interact: focus3000=%.3f cursor3000=%.3f open1000=%.1f rss1000/file=%.2f applyall3000=%.1f "
                "edit3000=%.2f\n",
                median(focus), median(cursor), open, rss, median(apply), editBesides);
    return 0;
}
