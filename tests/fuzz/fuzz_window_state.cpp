// The window state from arbitrary bytes: reading it (with the bounds on the
// geometry and the splitter layout), restoring what was kept into a window
// and into splitters as the workspace's, writing it and reading it again.
//
// What must hold: no crash and no allocation out of proportion (the
// sanitizer's memory limit stops a layout that claims millions of panes);
// what was kept passes the bounds; at most the allowed number of recent
// files, each once; written and read again, the state is the same.
#include "tests/fuzz/fuzzsupport.h"

#include "ui/windowstate.h"

#include <QApplication>
#include <QDataStream>
#include <QSplitter>
#include <QWidget>

namespace {

constexpr size_t kMaxInput = 64 * 1024;

struct Targets {
    QWidget window;
    QSplitter outer {Qt::Horizontal};
    QSplitter inner {Qt::Vertical};
    Targets()
    {
        for (int i = 0; i < 2; ++i)
            outer.addWidget(new QWidget);
        for (int i = 0; i < 3; ++i)
            inner.addWidget(new QWidget);
    }
};

Targets &targets()
{
    // The widgets need the application object the replay or the fuzzer made.
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "kvr-fuzz";
        static char *argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    fuzz::scratchDir();
    static Targets *t = new Targets;
    return *t;
}

bool sameState(const WindowState &a, const WindowState &b)
{
    return a.geometry == b.geometry && a.layout == b.layout && a.recentFiles == b.recentFiles;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    Targets &t = targets();
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));

    WindowState state;
    if (!state.fromJson(input, QStringLiteral("window_state.json"))) {
        FUZZ_CHECK(sameState(state, WindowState()));
        return 0;
    }
    FUZZ_CHECK(state.geometry.isEmpty() || WindowState::isSaneGeometry(state.geometry));
    FUZZ_CHECK(state.layout.isEmpty() || WindowState::isSaneLayout(state.layout));
    FUZZ_CHECK(state.recentFiles.size() <= WindowState::kMaxRecentFiles);
    for (const QString &path : state.recentFiles)
        FUZZ_CHECK(!path.isEmpty() && state.recentFiles.count(path) == 1);

    // What the window does with it at a start.
    if (!state.geometry.isEmpty())
        t.window.restoreGeometry(state.geometry);
    if (!state.layout.isEmpty()) {
        QDataStream in(state.layout);
        QByteArray outer, inner;
        in >> outer >> inner;
        if (in.status() == QDataStream::Ok) {
            t.outer.restoreState(outer);
            t.inner.restoreState(inner);
        }
    }

    WindowState again;
    FUZZ_CHECK(again.fromJson(state.toJson(), QStringLiteral("again")));
    FUZZ_CHECK(sameState(again, state));
    return 0;
}
