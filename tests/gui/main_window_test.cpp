#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cerrno>

#include "app/command_table.h"
#include "core/strings.h"
#include "document/read_status.h"
#include "gui/key_mapping.h"
#include "gui/main_window_fixture.h"
#include "gui/qt_text.h"
#include "views/code_list_ctrl.h"
#include "views/piano_roll_ctrl.h"

namespace zema {
namespace {

TEST_F(MainWindowTest, NewDocumentSkipsTheDrumSlot)
{
    auto& w = makeWindowWithTracks(10);
    EXPECT_EQ(w.song().trackOrder, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_EQ(w.tabBar().tabText(9), "Track11");
    EXPECT_FALSE(w.isModified());
    EXPECT_EQ(w.windowTitle(), "ZEMA - Track1 - (名称未設定) []");
}

TEST_F(MainWindowTest, ModifiedPromptAnswers)
{
    auto& w = makeWindow();
    type(0, "cde");
    EXPECT_EQ(w.windowTitle(), "ZEMA - Track1 - (名称未設定)(更新) []");
    struct Step {
        QMessageBox::StandardButton answer;
        const char* saveAs;     // the Save As dialog's answer; empty: cancelled
        const char16_t* after;  // the first track once New has run
    };
    // Cancel, and Yes with a cancelled save, keep everything; Yes with a
    // path saves, then the new document comes; No discards.
    const Step steps[] = {{QMessageBox::Cancel, "", u"cde"},
                          {QMessageBox::Yes, "", u"cde"},
                          {QMessageBox::Yes, "kept.mml", u""},
                          {QMessageBox::No, "", u""}};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(static_cast<int>(step.answer)) + step.saveAs);
        if (!w.isModified()) type(0, "c");
        messages.clear();
        answers = {step.answer};
        savePath = *step.saveAs ? pathIn(step.saveAs) : QString();
        w.runCommand(command::kFileNew);
        EXPECT_EQ(messages, (Messages{{QMessageBox::Warning,
                                       "ファイル <名称未設定> が変更されています。\n\n変更を保存しますか？"}}));
        EXPECT_EQ(editor(0).text(), step.after);
        EXPECT_EQ(w.isModified(), *step.after != 0);
        EXPECT_TRUE(w.documentPath().isEmpty());
        EXPECT_EQ(QFile::exists(savePath), *step.saveAs != 0);
    }
}

TEST_F(MainWindowTest, SaveFailureKeepsPathAndModifiedState)
{
    auto& w = makeWindow();
    savePath = pathIn("song.mml");
    ASSERT_TRUE(w.saveDocument(false));
    EXPECT_EQ(w.windowTitle(), "ZEMA - Track1 - song.mml []");
    type(0, "cde");

    savePath = pathIn("missing-folder/x.mml");
    EXPECT_FALSE(w.saveDocument(true));
    EXPECT_EQ(messages, (Messages{{QMessageBox::Critical, "ファイルが保存出来ませんでした。"}}));
    EXPECT_TRUE(w.documentPath().endsWith("song.mml"));
    EXPECT_TRUE(w.isModified());
}

TEST_F(MainWindowTest, UndoAndRedoCrossTracksAndReachTheSavedState)
{
    auto& w = makeWindow();
    type(0, "c");
    type(1, "d");
    EXPECT_EQ(w.song().currentTrack, 1);

    w.runCommand(command::kUndo);
    EXPECT_EQ(editor(1).text(), u"");
    w.runCommand(command::kUndo);
    EXPECT_EQ(w.song().currentTrack, 0);  // the second undo brings the first track forward
    EXPECT_EQ(editor(0).text(), u"");
    EXPECT_FALSE(w.isModified());

    w.runCommand(command::kRedo);
    w.runCommand(command::kRedo);
    EXPECT_EQ(editor(0).text(), u"c");
    EXPECT_EQ(editor(1).text(), u"d");
    EXPECT_EQ(w.song().currentTrack, 1);
    w.recompilePending();
    EXPECT_EQ(w.statusText(2), "文字数 : 1");

    // Save, edit, undo: back at the saved state.
    savePath = pathIn("s.mml");
    ASSERT_TRUE(w.saveDocument(false));
    type(1, "e");
    EXPECT_TRUE(w.isModified());
    w.runCommand(command::kUndo);
    EXPECT_FALSE(w.isModified());
    EXPECT_EQ(w.windowTitle(), "ZEMA - Track2 - s.mml []");
}

TEST_F(MainWindowTest, OpeningReadsTheDocumentAndFailureKeepsTheCurrentOne)
{
    auto& w = makeWindow();
    const QString path = writeDocument("a.mml", "[Settings]\r\nTitle=Waltz\r\n[Channel1]\r\nt120o4cde\r\n");
    ASSERT_TRUE(w.openDocumentPath(path));
    EXPECT_EQ(editor(0).text(), u"t120o4cde\r\n");
    EXPECT_EQ(w.windowTitle(), "ZEMA - Track1 - a.mml [Waltz]");
    EXPECT_EQ(w.settings().recentFiles.front(), path.toStdU16String());

    // A failure: the written message, and why on the second line.
    struct Failure {
        QString path;
        ReadStatus reason;
    };
    const Failure failures[] = {
        {pathIn("nothing.mml"), ReadStatus::unreadable(ENOENT)},
        {QString::fromStdString(folder.path().string()), ReadStatus::unreadable(EISDIR)},
        {writeDocument("empty.mml", ""), ReadStatus::of(ReadStatusKind::Empty)},
        {writeDocument("other.mml", "[Window]\r\nLeft=1\r\n"),
         ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotMmlDocument)},
    };
    for (const Failure& failure : failures) {
        EXPECT_FALSE(w.openDocumentPath(failure.path));
        EXPECT_EQ(messages.back(),
                  (Message{QMessageBox::Critical, "ファイルが開けませんでした。\n" + qt(readStatusText(failure.reason))}));
        EXPECT_EQ(editor(0).text(), u"t120o4cde\r\n");
    }

    // A recent entry whose file is gone leaves the list.
    QFile::remove(path);
    w.runCommand(command::kRecentFirst);
    EXPECT_TRUE(w.settings().recentFiles.empty());

    // A damaged extension block: the document opens, then the reason is shown.
    const size_t before = messages.size();
    ASSERT_TRUE(w.openDocumentPath(writeDocument(
        "damaged.mml", "[Channel1]\r\nt150g\r\n[ZEMA EXTENSION]\r\nc=1\r\nd=QUJD\r\n")));
    EXPECT_EQ(editor(0).text(), u"t150g\r\n");
    ASSERT_EQ(messages.size(), before + 1);
    EXPECT_EQ(messages.back(), (Message{QMessageBox::Warning, qt(withReadReason(loadString("IDS_READ_PARTIAL"),
                                                                                ReadStatus::of(ReadStatusKind::DamagedExtension)))}));
}

// On a shown window, the panes show the caret's state in full, and a new document's tabs are on screen.
TEST_F(MainWindowTest, StatusPanesFollowTheCaretAtTheirFullSize)
{
    auto& w = makeWindow();
    w.show();
    QTest::qWait(50);
    EXPECT_EQ(w.tabBar().height(), w.tabBar().sizeHint().height());
    type(0, "t150l8.o5v12c");
    QTest::keyClick(&editor(0), Qt::Key_Return);
    type(0, "d");
    ASSERT_EQ(editor(0).text(), u"t150l8.o5v12c\r\nd");
    EXPECT_EQ(w.statusText(0), "分解能 : 96");
    EXPECT_EQ(w.statusText(1), "拍子 :  4 /  4");
    EXPECT_EQ(w.statusText(2), "文字数 : 14");  // line breaks are not characters of the game
    EXPECT_EQ(w.statusText(3), "Tempo 150, Octave 5, Velocity 12, L8.");
    EXPECT_EQ(w.statusText(4), "1 行 1 列");  // (line, column) from 0, as the editor counts
    for (int pane = 0; pane < 5; ++pane) {
        const auto* label = w.findChild<QLabel*>(QStringLiteral("StatusPane%1").arg(pane));
        ASSERT_NE(label, nullptr);
        EXPECT_GE(label->width(), label->sizeHint().width()) << "pane " << pane << " is cut: " << label->text().toStdString();
    }
}

TEST_F(MainWindowTest, TrackCommandsAndTheirUndo)
{
    auto& w = makeWindowWithTracks(15);
    w.runCommand(command::kTrackAdd);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "これ以上トラックを追加できません。");
    EXPECT_FALSE(w.isModified());

    type(3, "abc");
    w.runCommand(command::kTrackDelete);
    EXPECT_FALSE(w.song().tracks[3].used);
    EXPECT_EQ(w.tabBar().count(), 14);
    w.runCommand(command::kUndo);
    EXPECT_TRUE(w.song().tracks[3].used);
    EXPECT_EQ(w.tabBar().tabText(3), "Track4");
    EXPECT_EQ(editor(3).text(), u"abc");

    newName = QStringLiteral("Lead");
    w.runCommand(command::kTrackRename);
    EXPECT_EQ(w.tabBar().tabText(3), "Lead");
    EXPECT_EQ(w.windowTitle(), "ZEMA - Lead - (名称未設定)(更新) []");
    w.runCommand(command::kUndo);
    EXPECT_EQ(w.tabBar().tabText(3), "Track4");
}

TEST_F(MainWindowTest, DeletingTheLastTrackDoesNothing)
{
    auto& w = makeWindowWithTracks(1);
    w.runCommand(command::kTrackDelete);
    EXPECT_EQ(w.tabBar().count(), 1);
    EXPECT_FALSE(w.isModified());
    w.runCommand(command::kTrackAdd);
    EXPECT_EQ(w.tabBar().count(), 2);
    EXPECT_EQ(w.song().currentTrack, 1);
    w.runCommand(command::kTrackSelectLeft);
    EXPECT_EQ(w.song().currentTrack, 0);
    w.runCommand(command::kTrackSelectLeft);
    EXPECT_EQ(w.song().currentTrack, 0);
}

TEST_F(MainWindowTest, OptimizeIsOneUndoableReplacement)
{
    auto& w = makeWindow();
    type(0, "c4 c4 c4 c4 r4 r4");
    w.runCommand(command::kOptimize);
    const std::u16string optimized = editor(0).text();
    EXPECT_LT(optimized.size(), 17u);
    w.runCommand(command::kUndo);
    EXPECT_EQ(editor(0).text(), u"c4 c4 c4 c4 r4 r4");
}

TEST_F(MainWindowTest, AutosaveWritesOneFilePerDocumentBeforeCommands)
{
    auto& w = makeWindow();
    w.runCommand(command::kTrackSelectRight);  // unmodified: nothing to keep
    w.waitForAutosaves();
    EXPECT_EQ(w.autosavesStarted(), 0);

    type(0, "cde");
    w.runCommand(command::kTrackSelectRight);
    w.waitForAutosaves();
    type(1, "efg");
    w.runCommand(command::kTrackSelectLeft);
    w.waitForAutosaves();
    EXPECT_EQ(w.autosavesStarted(), 2);
    const auto file = w.autosavePath();
    EXPECT_EQ(file.parent_path(), folder.path() / "autosave");
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("efg"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "autosave"),
                            std::filesystem::directory_iterator()),
              1);
}

// No leaves it at the message, Yes opens the preferences on their MIDI page.
TEST_F(MainWindowTest, StartUpAsksAboutTheMidiSettingsWhenTheDeviceFails)
{
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        SCOPED_TRACE(answer);
        window.reset();
        messages.clear();
        preferencePages.clear();
        auto& w = makeWindow();
        failDevice();
        answers = {answer};
        w.startUp(QString());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "MIDI出力デバイスのオープンに失敗しました。\n\nMIDI設定を開きますか？");
        EXPECT_EQ(preferencePages, answer == QMessageBox::Yes ? std::vector{PreferencesPage::Midi}
                                                              : std::vector<PreferencesPage>{});
    }
}

TEST_F(MainWindowTest, ShortcutsComeFromTheKeyFile)
{
    auto& w = makeWindow();
    const std::pair<int32_t, QKeySequence> shortcuts[] = {
        {command::kFileSave, QKeySequence(QStringLiteral("Ctrl+S"))},
        {command::kFileSaveAs, QKeySequence(QStringLiteral("Ctrl+Shift+S"))},
        {command::kPlayToggle, QKeySequence(Qt::Key_F5)},
        {command::kPlayCursor, QKeySequence(QStringLiteral("Ctrl+Space"))},
        {command::kTrackProperty, QKeySequence(QStringLiteral("Alt+Return"))},
        {command::kExportMmla, QKeySequence(Qt::Key_F7)},
    };
    for (const auto& [id, keys] : shortcuts) EXPECT_EQ(w.action(id)->shortcut(), keys) << id;
    EXPECT_EQ(keySequenceOf(KeyAssign{0x6B, false, false, false}), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus));
    EXPECT_TRUE(keySequenceOf(KeyAssign{0xFF, true, false, false}).isEmpty());
}

TEST_F(MainWindowTest, ClosingAsksAndCancelKeepsTheWindow)
{
    auto& w = makeWindow();
    w.show();
    type(0, "c");
    answers = {QMessageBox::Cancel};
    EXPECT_FALSE(w.close());
    answers = {QMessageBox::No};
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "ZEMA.ini"));
}

TEST_F(MainWindowTest, SessionEndKeepsAModifiedDocumentInTheAutosaveFile)
{
    Settings settings;
    settings.autoSave = false;  // the session end keeps the work even so
    auto& w = makeWindow(settings);
    type(0, "abc");
    EXPECT_TRUE(w.endSession());
    EXPECT_TRUE(std::filesystem::exists(w.autosavePath()));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "ZEMA.ini"));
}

TEST_F(MainWindowTest, DroppedFileOpensAfterThePrompt)
{
    auto& w = makeWindow();
    w.show();
    type(0, "c");
    const QString path = writeDocument("dropped.mml", "[Channel1]\r\nabc\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path + "x")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    answers = {QMessageBox::No};
    QCoreApplication::sendEvent(&w, &drop);
    QTest::qWait(20);  // the file opens once the drop has finished
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(editor(0).text(), u"abc\r\n");
    EXPECT_EQ(w.documentPath(), path);
}

TEST_F(MainWindowTest, PlaybackMakesTheWindowBusyUntilItStops)
{
    auto& w = makeWindow();
    w.player().setRealtimePriority(false);
    type(0, "t255l64cdefgab>cdefgab>c1");
    failDevice();
    w.runCommand(command::kPlayToggle);  // no device: Play fails and the window stays idle
    EXPECT_FALSE(w.isBusy());
    countingDevice();
    w.runCommand(command::kPlayToggle);
    ASSERT_TRUE(w.isBusy());
    EXPECT_TRUE(editor(0).playbackFlag());
    w.runCommand(command::kTrackAdd);  // idle-only: ignored while playing
    EXPECT_EQ(w.tabBar().count(), 3);
    // Greyed out while playing: idle-only commands and the preferences, which may reopen the device.
    for (int32_t id : {command::kTrackAdd, command::kConfig, command::kUndo}) EXPECT_FALSE(w.action(id)->isEnabled()) << id;
    EXPECT_TRUE(w.action(command::kPlayStop)->isEnabled());
    for (int i = 0; i < 100 && device->noteOns.load() < 3; ++i) QTest::qWait(10);
    EXPECT_GE(device->noteOns.load(), 3);

    w.runCommand(command::kPlayStop);
    for (int i = 0; i < 200 && (w.isBusy() || !w.action(command::kConfig)->isEnabled()); ++i) QTest::qWait(10);
    EXPECT_FALSE(w.isBusy());
    EXPECT_FALSE(editor(0).playbackFlag());
    EXPECT_TRUE(w.action(command::kConfig)->isEnabled());  // enabled again without opening a menu
    w.runCommand(command::kTrackAdd);
    EXPECT_EQ(w.tabBar().count(), 4);
}

TEST_F(MainWindowTest, KeyboardTypesNotesOnlyWhileStopped)
{
    auto& w = makeWindow();
    type(0, "o4c");
    editor(0).setCaret(0, 2);  // between the octave and the note
    w.keyboardNote(73, true, true);
    EXPECT_EQ(editor(0).text(), u"o4>c+<c");
    w.runCommand(command::kUndo);
    EXPECT_EQ(editor(0).text(), u"o4c");
}

TEST_F(MainWindowTest, ViewsFollowTheSongAndTheTargetList)
{
    auto& w = makeWindow();
    type(0, "o4cde");
    EXPECT_EQ(w.eventList().rowCount(), static_cast<int>(w.song().tracks[0].events.size()));
    type(1, "f");
    EXPECT_EQ(w.eventList().rowCount(), static_cast<int>(w.song().tracks[1].events.size()));

    // Clicking a note's row selects its text.
    w.runCommand(command::kTrackSelectLeft);
    int index = 0;
    while (w.song().tracks[0].events[static_cast<size_t>(index)].kind != TrackEventKind::Note) ++index;
    w.pianoRoll().onNoteClicked(0, index + 1);  // the second note, "d"
    int startLine = -1, startColumn = -1, endLine = -1, endColumn = -1;
    editor(0).getSelection(&startLine, &startColumn, &endLine, &endColumn);
    EXPECT_EQ(std::vector<int>({startLine, startColumn, endLine, endColumn}), std::vector<int>({0, 3, 0, 4}));
}

// The window with the shipped English file in the user's Languages folder.
class LanguageWindowTest : public MainWindowTest {
protected:
    CMainWindow& makeWindowWithEnglish()
    {
        std::filesystem::create_directories(folder.path() / "Languages");
        std::filesystem::copy_file(std::filesystem::path(ZEMA_SOURCE_DIR) / "resources/languages/English.lng",
                                   folder.path() / "Languages/English.lng");
        return makeWindow();
    }
    void TearDown() override
    {
        window.reset();  // its language returns the program to the built-in texts
        MainWindowTest::TearDown();
    }
    QMenu* fileMenu() { return window->findChild<QMenu*>(QStringLiteral("MENU_FILE")); }
    // The Language menu command of the copy in the user's folder (the
    // program's own data folder may list files before it).
    int32_t userEnglishCommand()
    {
        const auto& files = window->languageFiles();
        for (size_t i = 0; i < files.size(); ++i) {
            if (files[i].path == folder.path() / "Languages/English.lng") return command::kLanguageFirst + static_cast<int32_t>(i);
        }
        ADD_FAILURE() << "the user's English.lng is not listed";
        return command::kLanguageFirst;
    }
    QComboBox* targets() { return window->findChild<QComboBox*>(QStringLiteral("IDC_CMB_PIANO_TARGET")); }
};

TEST_F(LanguageWindowTest, AboutBoxCreditsTheLoadedTranslatorAndNamesTheLibraries)
{
    auto& w = makeWindowWithEnglish();
    QStringList shown;
    bool translatorHidden = false;
    onAbout = [&](CAboutDlg& dialog) {
        shown.clear();
        shown << dialog.windowTitle();
        for (const char* name : {"IDC_TXT_VERSION", "IDC_TXT_TRANSLATOR", "IDC_TXT_ABOUT_LIBRARY_LIST"}) {
            shown << dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
        }
        translatorHidden = dialog.findChild<QLabel*>(QStringLiteral("IDC_TXT_TRANSLATOR"))->isHidden();
    };
    w.runCommand(command::kAbout);
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0], "バージョン情報");
    EXPECT_TRUE(translatorHidden);

    w.runCommand(userEnglishCommand());
    w.runCommand(command::kAbout);
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0], "About ZEMA");
    EXPECT_TRUE(shown[1].startsWith("Version ")) << shown[1].toStdString();
    EXPECT_EQ(shown[2], "Translated by ZEMA developers");
    EXPECT_FALSE(translatorHidden);
    EXPECT_TRUE(shown[3].startsWith(QStringLiteral("Qt %1 (LGPL v3)\nFluidSynth ").arg(QString::fromLatin1(qVersion()))))
        << shown[3].toStdString();
    EXPECT_TRUE(shown[3].contains(QStringLiteral("(MIT-style License)"))) << shown[3].toStdString();
}

TEST_F(LanguageWindowTest, SwitchingToEnglishAndBackRetranslatesKeepsTheTargetAndReportsABadFile)
{
    auto& w = makeWindowWithEnglish();
    const int32_t english = userEnglishCommand();
    w.setPianoTarget(3);
    const auto japanese = [&] {
        EXPECT_EQ(w.action(command::kFileNew)->text(), "新規作成(&N)");
        EXPECT_EQ(fileMenu()->title(), "ファイル(&F)");
        EXPECT_EQ(w.windowTitle(), "ZEMA - Track1 - (名称未設定) []");
        EXPECT_EQ(targets()->itemText(0), "現在のトラック");
        EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("IDC_BTN_LINK"))->text(), "グループリンク");
        EXPECT_TRUE(w.action(command::kLanguageBuiltIn)->isChecked());
    };
    japanese();

    w.runCommand(english);
    EXPECT_TRUE(w.language().isLoaded());
    EXPECT_EQ(w.action(command::kFileNew)->text(), "&New");
    EXPECT_EQ(fileMenu()->title(), "&File");
    EXPECT_EQ(w.windowTitle(), "ZEMA - Track1 - (Untitled) []");
    EXPECT_EQ(targets()->itemText(0), "Current Track");
    EXPECT_EQ(targets()->currentIndex(), 3);
    EXPECT_EQ(w.statusText(0), "Resolution : 96");
    EXPECT_TRUE(w.action(english)->isChecked());
    EXPECT_FALSE(w.action(command::kLanguageBuiltIn)->isChecked());

    // The choice is stored relative to its folder, so a moved settings folder keeps it.
    w.storeSettings();
    EXPECT_EQ(loadLanguageFile(folder.path() / "ZEMA.ini"), u"Languages/English.lng");

    w.runCommand(command::kLanguageBuiltIn);
    japanese();
    EXPECT_EQ(targets()->currentIndex(), 3);
    w.storeSettings();
    EXPECT_EQ(loadLanguageFile(folder.path() / "ZEMA.ini"), u"");

    // A file that fails to load is reported and the language stays.
    test::writeBytes(folder.path() / "Languages/English.lng", "[Information]\nVersion={0}\n");
    w.runCommand(english);
    EXPECT_EQ(messages, (Messages{{QMessageBox::Critical, "言語ファイルの読み込みに失敗しました。"}}));
    EXPECT_FALSE(w.language().isLoaded());
    japanese();
}

TEST_F(MainWindowTest, MenuEntriesAreEnabledByTheirAreasAndLaterDialogsStayOff)
{
    auto& w = makeWindow();
    w.refreshCommandStates();
    for (int32_t id : {command::kConfig, command::kFileNew, command::kUndo, command::kOptimizeAll,
                       command::kPlayToggle, command::kViewMonitor, command::kLanguageBuiltIn, command::kAbout,
                       command::kImportMml, command::kExportMmla, command::kDocumentProperty, command::kMigration,
                       command::kTrackProperty, command::kSearch, command::kReplace, command::kImportSmf,
                       command::kExportSmf, command::kExportWav}) {
        EXPECT_TRUE(w.action(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(w.action(command::kMmlCheck)->isEnabled());  // the syntax check never does anything
}

TEST_F(MainWindowTest, ConfirmedPreferencesReopenTheOutputAndChangeKeysAtOnce)
{
    auto& w = makeWindow();
    countingDevice();
    w.startUp(QString());
    ASSERT_EQ(opened, std::vector<OutputKind>{OutputKind::MidiPort});

    // Cancel changes nothing.
    w.runCommand(command::kConfig);
    EXPECT_EQ(preferencePages, std::vector<PreferencesPage>{PreferencesPage::General});
    EXPECT_EQ(opened.size(), 1u);

    // Another output and plain N for New.
    editPreferences = [](PreferencesValues values) -> std::optional<PreferencesValues> {
        values.settings.outputDls = static_cast<int32_t>(OutputKind::SynthGeneral);
        values.keys.assign(command::kFileNew, KeyAssign{'N', false, false, false});
        return values;
    };
    w.runCommand(command::kConfig);
    EXPECT_EQ(opened, (std::vector<OutputKind>{OutputKind::MidiPort, OutputKind::SynthGeneral}));
    EXPECT_EQ(w.action(command::kFileNew)->shortcut(), QKeySequence(Qt::Key_N));
    EXPECT_NE(test::readBytes(folder.path() / "ZEMA_ACCEL.ini").find("32925=78\\n0\\n0\\n0"), std::string::npos);
    EXPECT_NE(test::readBytes(folder.path() / "ZEMA.ini").find("OutputDLS=+2"), std::string::npos);

    // Only the keys changed: the device stays open.
    editPreferences = [](PreferencesValues values) -> std::optional<PreferencesValues> {
        values.keys.unassign(command::kFileNew);
        return values;
    };
    w.runCommand(command::kConfig);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(w.action(command::kFileNew)->shortcut().isEmpty());
}

// An instrument file that cannot be used is reported with its reason, at
// start-up and when the preferences name another; the lists keep working.
TEST_F(MainWindowTest, AnUnusableInstrumentFileIsReportedWithItsReason)
{
    Settings settings;
    settings.instrumentsFile = writeDocument("notes.def", "[Other]\r\nPiano=1\r\n").toStdU16String();
    auto& w = makeWindow(settings);
    EXPECT_EQ(messages, (Messages{{QMessageBox::Warning,
                                   qt(withReadReason(loadString("IDS_ERR_INSTRUMENTS"),
                                                     ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotInstruments)))}}));

    const std::u16string good = writeDocument("good.def", "[Instrument presets]\r\nPiano=0,0,1,0,0,0,127\r\n").toStdU16String();
    for (const std::u16string& file : {(folder.path() / "missing.def").u16string(), good}) {
        editPreferences = [file](PreferencesValues values) -> std::optional<PreferencesValues> {
            values.settings.instrumentsFile = file;
            return values;
        };
        w.runCommand(command::kConfig);
    }
    ASSERT_EQ(messages.size(), 2u);  // the missing file; the good one says nothing
    EXPECT_EQ(messages[1].text, qt(withReadReason(loadString("IDS_ERR_INSTRUMENTS"), ReadStatus::unreadable(ENOENT))));
}

}  // namespace
}  // namespace zema
