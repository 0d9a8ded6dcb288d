#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QScrollBar>
#include <QTreeWidget>
#include <csignal>

#include "app/recovery.h"
#include "core/mml_compiler.h"
#include "core/unicode.h"
#include "document/mml_file_writer.h"
#include "gui/main_window_fixture.h"
#include "gui/program_signals.h"
#include "gui/qt_text.h"

namespace zema {
namespace {

class RecoveryWindowTest : public MainWindowTest {
protected:
    // A run that ended without removing its marker, and what it autosaved.
    std::filesystem::path leftBehind(const std::string& name, const std::u16string& text,
                                     const std::filesystem::path& document = {})
    {
        (void)writeDocument("ZEMA-100-1.lock", "pid=1\n");
        std::filesystem::create_directories(folder / "autosave");
        DocumentData data;
        data.slots[0].used = true;
        data.slots[0].text = text;
        CMMLFileWriter writer(data, true);
        const auto file = folder / "autosave" / name;
        EXPECT_TRUE(writer.SaveFile(file));
        EXPECT_FALSE(writeAutosaveOrigin(file, AutosaveOrigin{"100-1", document}));
        return file;
    }

    CMainWindow& startedWindow()
    {
        auto& w = makeWindow();
        w.setRunId("555-5");
        countingDevice();
        w.startUp(QString());
        return w;
    }
};

TEST_F(RecoveryWindowTest, DiscardsOneAndOpensTheOtherAsAModifiedDocumentUnderItsPath)
{
    const QString original = writeDocument("song.mml", "old bytes on disk");
    std::filesystem::last_write_time(pathOf(original),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5));
    const auto untitled = leftBehind("~20240101_000001.mml", u"cdef");
    const auto named = leftBehind("~20240101_000002.mml", u"t150 gab", pathOf(original));

    QStringList rows;
    onRecovery = [&](CMMLRecoveryDlg& dialog) {
        for (int i = 0; i < dialog.list().topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dialog.list().topLevelItem(i);
            rows << item->text(0) + "|" + item->text(2) + "|" + item->text(3);
        }
        dialog.show();  // every column shows without scrolling sideways
        QApplication::processEvents();
        EXPECT_FALSE(dialog.list().horizontalScrollBar()->isVisible());
        const int untitledRow = dialog.candidates()[0].origin.document.empty() ? 0 : 1;
        dialog.selectRow(untitledRow);
        answers = {QMessageBox::No, QMessageBox::Yes};
        dialog.discardSelected();  // asked, refused: stays
        EXPECT_EQ(dialog.candidates().size(), 2U);
        dialog.discardSelected();
        ASSERT_EQ(dialog.candidates().size(), 1U);
        dialog.openSelected();
    };
    auto& w = startedWindow();
    ASSERT_EQ(recoveryDialogs, 1);
    rows.sort();
    EXPECT_EQ(rows, (QStringList{QStringLiteral("(名称未設定)|1|%1").arg(characterCount(u"cdef")),
                                 QStringLiteral("song.mml|1|%1").arg(characterCount(u"t150 gab"))}));
    EXPECT_FALSE(std::filesystem::exists(untitled));

    EXPECT_EQ(w.documentPath(), original);
    EXPECT_TRUE(w.isModified());
    EXPECT_EQ(editor(0).text().substr(0, 8), u"t150 gab");
    EXPECT_EQ(test::readBytes(pathOf(original)), "old bytes on disk");
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("song.mml")));
    // It belongs to this run now, and the next autosave replaces it.
    EXPECT_EQ(readAutosaveOrigin(named)->runId, "555-5");
    EXPECT_EQ(w.autosavePath(), named);
    EXPECT_TRUE(findRunMarkers(folder.path()).empty());  // the ended run is settled

    type(0, "v10");
    w.runCommand(command::kTrackSelectRight);
    w.waitForAutosaves();
    const std::u16string edited = editor(0).text();
    ASSERT_NE(edited.find(u"v10"), std::u16string::npos);
    EXPECT_NE(test::readBytes(named).find(utf16ToUtf8(edited.substr(0, edited.find(u'\r')))), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "autosave"),
                            std::filesystem::directory_iterator()),
              2);  // the file and its origin record
}

TEST_F(RecoveryWindowTest, KeepingForLaterChangesNothingAndNothingLeftMeansNoDialog)
{
    leftBehind("~20240101_000001.mml", u"cdef");
    auto& w = startedWindow();
    EXPECT_EQ(recoveryDialogs, 1);
    EXPECT_FALSE(w.isModified());
    EXPECT_TRUE(w.documentPath().isEmpty());
    EXPECT_EQ(findRecoverable(folder.path(), {96, 4, 4}).size(), 1U);
    EXPECT_EQ(findRunMarkers(folder.path()).size(), 1U);

    std::filesystem::remove_all(folder / "autosave");
    EXPECT_FALSE(w.offerRecovery());
    EXPECT_EQ(recoveryDialogs, 1);
    EXPECT_TRUE(findRunMarkers(folder.path()).empty());
}

TEST_F(RecoveryWindowTest, AFailedAutosaveIsShownInTheStatusBarUntilOneSucceeds)
{
    auto& w = makeWindow();
    EXPECT_TRUE(w.autosaveNotice().isEmpty());
    std::filesystem::create_directories(w.autosavePath());  // a folder where the file must go
    type(0, "cde");
    w.runCommand(command::kTrackSelectRight);
    w.waitForAutosaves();
    QTest::qWait(20);
    EXPECT_TRUE(w.autosaveNotice().startsWith(QStringLiteral("自動保存に失敗しました: "))) << w.autosaveNotice().toStdString();
    EXPECT_GT(w.autosaveNotice().size(), 14);  // with the reason

    std::filesystem::remove(w.autosavePath());
    w.runCommand(command::kTrackSelectLeft);
    w.waitForAutosaves();
    QTest::qWait(20);
    EXPECT_TRUE(w.autosaveNotice().isEmpty());

    // No folder can be made: shown too, at once.
    std::filesystem::remove_all(folder / "autosave");
    (void)writeDocument("autosave", "a file in the folder's place");
    w.runCommand(command::kTrackSelectRight);
    EXPECT_TRUE(w.autosaveNotice().startsWith(QStringLiteral("自動保存に失敗しました: ")));
}

// Typing that goes on in one undo step after a recompile still reaches the
// song, so the autosave and the saved file hold every character.
TEST_F(RecoveryWindowTest, TypingAfterARecompileReachesTheAutosaveAndTheSavedFile)
{
    auto& w = makeWindow();
    type(0, "t140");  // recompiled
    QTest::keyClicks(&editor(0), QStringLiteral(" cdefgab"));
    ASSERT_EQ(editor(0).text().substr(0, 12), u"t140 cdefgab");
    w.runCommand(command::kTrackSelectRight);
    w.waitForAutosaves();
    EXPECT_NE(test::readBytes(w.autosavePath()).find("t140 cdefgab"), std::string::npos);
    savePath = pathIn("typed.mml");
    ASSERT_TRUE(w.saveDocument(false));
    EXPECT_NE(test::readBytes(folder / "typed.mml").find("t140 cdefgab"), std::string::npos);
}

// The real program marks its run while it lives: a kill leaves the marker
// for the next start; SIGTERM, even while the start-up message box is open,
// ends it with status 0, the settings written and the marker removed.
TEST(MainProgram, KillLeavesTheRunMarkerAndTerminateEndsCleanly)
{
    (void)test::qtApp();
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(signal);
        test::TempFolder folder;
        QProcess program;
        ASSERT_NO_FATAL_FAILURE(test::startProgram(program, folder.path(),
                                                   {QStringLiteral(ZEMA_SOURCE_DIR "/resources/demo/demo.mml")}));
        const auto ini = folder.path() / "ZEMA.ini";
        std::vector<RunMarkerInfo> markers;
        for (int i = 0; i < 200 && (markers.empty() || !std::filesystem::exists(ini)); ++i) {
            QTest::qWait(50);
            markers = findRunMarkers(folder.path());
        }
        ASSERT_EQ(markers.size(), 1U);
        EXPECT_TRUE(markers[0].running);
        EXPECT_EQ(markers[0].pid, program.processId());
        ASSERT_NO_FATAL_FAILURE(test::signalProgram(program, signal, [&] { std::filesystem::remove(ini); }));
        markers = findRunMarkers(folder.path());
        if (signal == SIGKILL) {
            ASSERT_EQ(markers.size(), 1U);
            EXPECT_FALSE(markers[0].running);
        } else {
            EXPECT_TRUE(markers.empty());
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), 0);
            EXPECT_TRUE(std::filesystem::exists(ini));
        }
    }
}

}  // namespace
}  // namespace zema
