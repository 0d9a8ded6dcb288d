// Main-window measurements: start-up to the first painted window, and one
// keystroke to the recompiled status bar on a sixteen-track song at the
// sizes of the first composition rank. Each is compared with a bare Qt
// window doing the same (a plain text editor with the same text).
#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "app/gui/main_window.h"
#include "app/settings.h"
#include "bench_support.h"
#include "editor/editor_frame.h"

namespace {

std::filesystem::path gFolder;

// Watches for the first paint of anything inside one window.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == window_) painted = true;
        }
        return false;
    }
    void waitForPaint()
    {
        while (!painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    bool painted = false;

private:
    QWidget* window_;
};

// Sixteen tracks: five MML@ texts of melody 1,200, chord 800 and 500 characters, and one more melody.
std::string songDocument()
{
    const auto part = [](size_t length) {
        std::string text = "t120v12l8o5";
        const char* phrase = "cdefgab>c<bagfedc4e.f16g8&g8a4r8b16>c16<";
        while (text.size() < length) text += phrase;
        text.resize(length);
        return text;
    };
    std::string document = "[Settings]\r\nTitle=Bench\r\n";
    const size_t sizes[3] = {1200, 800, 500};
    for (int channel = 1; channel <= 16; ++channel) {
        document += "[Channel" + std::to_string(channel) + "]\r\n" + part(sizes[(channel - 1) % 3]) + "\r\n";
    }
    return document;
}

zema::Settings benchSettings()
{
    zema::Settings settings;
    settings.autoSave = false;
    zema::correctSettings(settings);
    return settings;
}

void BM_StartupBareWindow(benchmark::State& state)
{
    for (auto _ : state) {
        QMainWindow window;
        auto* editor = new QPlainTextEdit(&window);
        editor->setPlainText(QStringLiteral("t120v12l8o5cdefgab"));
        window.setCentralWidget(editor);
        window.resize(1100, 720);
        PaintWatch watch(&window);
        window.show();
        watch.waitForPaint();
    }
}
BENCHMARK(BM_StartupBareWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartupMainWindow(benchmark::State& state)
{
    for (auto _ : state) {
        zema::CMainWindow window(zema::SettingsLocation{gFolder}, benchSettings());
        PaintWatch watch(&window);
        window.show();
        watch.waitForPaint();
    }
}
BENCHMARK(BM_StartupMainWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KeystrokeBareEditor(benchmark::State& state)
{
    QPlainTextEdit editor;
    editor.setPlainText(QString::fromStdString(songDocument()).left(1200));
    editor.moveCursor(QTextCursor::End);
    for (auto _ : state) {
        QTest::keyClick(&editor, Qt::Key_C);
        QTest::keyClick(&editor, Qt::Key_Backspace);
    }
}
BENCHMARK(BM_KeystrokeBareEditor)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A key typed at the end of the 1,200-character melody and taken back, each
// followed by what the 250 ms timer does: recompile, merge and refresh the
// status bar.
void BM_KeystrokeToStatusBar(benchmark::State& state)
{
    zema::CMainWindow window(zema::SettingsLocation{gFolder}, benchSettings());
    if (!window.openDocumentPath(QString::fromStdString((gFolder / "bench.mml").string()))) {
        state.SkipWithError("the bench song did not open");
        return;
    }
    zema::CMMLEditor& editor = *window.editorFrame().editor(window.song().trackOrder.front());
    editor.moveCursor(QTextCursor::End);
    for (auto _ : state) {
        QTest::keyClick(&editor, Qt::Key_C);
        window.recompilePending();
        QTest::keyClick(&editor, Qt::Key_Backspace);
        window.recompilePending();
        benchmark::DoNotOptimize(window.statusText(2));
    }
    state.counters["keystrokes"] = benchmark::Counter(2.0 * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_KeystrokeToStatusBar)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gFolder = std::filesystem::temp_directory_path() / ("zema-bench-gui-" + std::to_string(::getpid()));
    std::filesystem::create_directories(gFolder);
    std::ofstream(gFolder / "bench.mml", std::ios::binary) << songDocument();

    zema::bench::RatioReporter reporter;
    reporter.compare("BM_StartupMainWindow/real_time", "BM_StartupBareWindow/real_time");
    reporter.compare("BM_KeystrokeToStatusBar/real_time", "BM_KeystrokeBareEditor/real_time");
    const int status = zema::bench::runWith(argc, argv, reporter);
    std::filesystem::remove_all(gFolder);
    return status;
}
