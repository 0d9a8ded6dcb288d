// Main-window measurements: start-up to the first painted window, one
// keystroke to the recompiled status bar on a sixteen-track song at the
// sizes of the first composition rank, and switching the user-interface
// language. The first two are compared with a bare Qt window doing the same
// (a plain text editor with the same text), the language switch with
// rebuilding the menu bar alone; repainting the piano roll while a note is
// dragged, with one frame at the display rate.
#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include <QMenuBar>

#include "app/command_table.h"
#include "app/language_check.h"
#include "app/settings.h"
#include "app/window_texts.h"
#include "core/strings.h"
#include "gui/main_window.h"
#include "bench_support.h"
#include "editor/editor_frame.h"
#include "views/piano_roll_ctrl.h"

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

// A language file translating every string and every window text (each text
// prefixed), so a switch replaces everything the window shows.
std::string everyTextLanguageFile()
{
    const auto utf8 = [](std::u16string_view text) { return QString::fromStdU16String(std::u16string(text)).toStdString(); };
    std::string file = "[Information]\nVersion={6C578524-B2AA-4696-AE76-D491B55679E8}\nLanguage=en-US\n"
                       "LanguageName=Bench\nLCID=1033\n[Global]\n";
    for (const zema::StringEntry& entry : zema::stringTable()) {
        file += std::string(entry.symbol) + "=EN " + utf8(zema::escapeLanguageValue(entry.text)) + "\n";
    }
    for (const zema::WindowTexts& window : zema::builtInWindowTexts()) {
        file += "[" + utf8(window.key) + "]\n";
        for (const zema::WindowText& text : window.texts) {
            file += std::string(text.name) + "=EN " + utf8(zema::escapeLanguageValue(text.text)) + "\n";
        }
    }
    return file;
}

// The baseline: the main window's menus and their entries built anew.
void BM_MenuBarRebuild(benchmark::State& state)
{
    QMainWindow window;
    for (auto _ : state) {
        window.menuBar()->clear();
        std::map<zema::MenuGroup, QMenu*> menus;
        for (const zema::CommandInfo& info : zema::commandTable()) {
            QMenu*& menu = menus[info.menu];
            if (menu == nullptr) menu = window.menuBar()->addMenu(QString::fromStdU16String(std::u16string(zema::menuTitle(info.menu))));
            if (info.separatorBefore) menu->addSeparator();
            menu->addAction(QString::fromStdU16String(std::u16string(info.menuText)));
        }
        benchmark::DoNotOptimize(window.menuBar()->actions().size());
    }
}
BENCHMARK(BM_MenuBarRebuild)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One switch of the whole window to the other language: the iterations go
// to the language file and back in turn.
void BM_LanguageSwitch(benchmark::State& state)
{
    zema::CMainWindow window(zema::SettingsLocation{gFolder}, benchSettings());
    if (window.languageFiles().empty()) {
        state.SkipWithError("the bench language file was not found");
        return;
    }
    bool toFile = true;
    for (auto _ : state) {
        window.runCommand(toFile ? zema::command::kLanguageFirst : zema::command::kLanguageBuiltIn);
        toFile = !toFile;
    }
    window.runCommand(zema::command::kLanguageBuiltIn);
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Dragging a note of the current track on the sixteen-track song: each
// iteration moves the mouse a row and a few ticks and repaints the roll at
// once, as a frame of the drag. Compared with one frame at the display rate.
void BM_RollDragRepaint(benchmark::State& state)
{
    zema::CMainWindow window(zema::SettingsLocation{gFolder}, benchSettings());
    if (!window.openDocumentPath(QString::fromStdString((gFolder / "bench.mml").string()))) {
        state.SkipWithError("the bench song did not open");
        return;
    }
    window.setPianoTarget(2);  // every track drawn in full
    window.resize(1100, 720);
    window.show();
    QTest::qWait(20);
    zema::CPianoRollCtrl& roll = window.pianoRoll();
    roll.setMagnification(12, 8);
    if (roll.editNotes().size() < 2) {
        state.SkipWithError("the current track has no notes");
        return;
    }
    const zema::EditNote note = roll.editNotes()[1];
    (void)roll.PageTo(0, note.noteNumber / 12 - 1);
    const QPoint grab = roll.pointOf(note.tick + 2, note.noteNumber);
    QTest::mousePress(&roll, Qt::LeftButton, Qt::NoModifier, grab);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 8;
        QTest::mouseMove(&roll, grab + QPoint(step * 5, (step % 3) * 8));
        roll.repaint();
    }
    QTest::mouseRelease(&roll, Qt::LeftButton, Qt::NoModifier, grab);
}
BENCHMARK(BM_RollDragRepaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gFolder = std::filesystem::temp_directory_path() / ("zema-bench-gui-" + std::to_string(::getpid()));
    std::filesystem::create_directories(gFolder);
    std::ofstream(gFolder / "bench.mml", std::ios::binary) << songDocument();
    std::filesystem::create_directories(gFolder / "Languages");
    std::ofstream(gFolder / "Languages" / "Bench.lng", std::ios::binary) << everyTextLanguageFile();

    zema::bench::RatioReporter reporter;
    reporter.compare("BM_StartupMainWindow/real_time", "BM_StartupBareWindow/real_time");
    reporter.compare("BM_KeystrokeToStatusBar/real_time", "BM_KeystrokeBareEditor/real_time");
    reporter.compare("BM_LanguageSwitch/real_time", "BM_MenuBarRebuild/real_time");
    const int frameRate = benchSettings().statFrameRate;
    reporter.compareWithTime("BM_RollDragRepaint/real_time",
                             "one frame at " + std::to_string(frameRate) + " per second", 1.0 / frameRate);
    const int status = zema::bench::runWith(argc, argv, reporter);
    std::filesystem::remove_all(gFolder);
    return status;
}
