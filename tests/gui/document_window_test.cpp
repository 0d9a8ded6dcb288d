// Track properties, document properties, markers and the migration from the window.
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "app/command_table.h"
#include "gui/main_window_fixture.h"
#include "views/piano_roll_ctrl.h"

namespace zema {
namespace {

template <class W>
W* child(QWidget& dialog, const char* name)
{
    return dialog.findChild<W*>(QString::fromLatin1(name));
}

TEST_F(MainWindowTest, TrackPropertiesApplyAsOneUndoStep)
{
    auto& w = makeWindow();
    type(0, "cde");
    onTrackProperties = [](CMMLTrackGroupDlg& dialog) {
        ASSERT_EQ(dialog.shownSlot(), 0);
        child<QLineEdit>(dialog, "IDC_EDT_TRACK_NAME")->setText(QStringLiteral("Lead"));
        Q_EMIT child<QLineEdit>(dialog, "IDC_EDT_TRACK_NAME")->textEdited(QStringLiteral("Lead"));
        child<QSlider>(dialog, "IDC_SLD_TRACK_VOLUME")->setValue(40);
        dialog.addGroup();
        dialog.editor().moveTrack(1, 1);
        dialog.accept();
    };
    w.runCommand(command::kTrackProperty);
    EXPECT_EQ(w.song().tracks[0].name, u"Lead");
    EXPECT_EQ(w.song().tracks[0].volume, 40);
    EXPECT_EQ(w.song().tracks[1].group, 1);
    EXPECT_EQ(w.tabBar().tabText(0), QStringLiteral("Lead"));
    EXPECT_EQ(w.song().tracks[0].text, u"cde");

    w.runCommand(command::kUndo);
    EXPECT_EQ(w.song().tracks[0].name, u"Track1");
    EXPECT_EQ(w.song().tracks[1].group, 0);
    EXPECT_EQ(w.tabBar().tabText(0), QStringLiteral("Track1"));
}

TEST_F(MainWindowTest, DocumentPropertiesCheckTheTimebaseAndMoveMarkers)
{
    auto& w = makeWindow();
    onMarker = [](CMMLMarkerDlg& dialog) {
        dialog.nameField().setText(QStringLiteral("Intro"));
        return int(QDialog::Accepted);
    };
    w.pianoRoll().onMarkerCommand(kMarkerCreateCommand, 37, 0);
    ASSERT_EQ(w.song().markers.size(), 1u);
    EXPECT_EQ(w.song().markers[0].name, u"Intro");

    onDocumentProperties = [](CMMLPropatyDlg& dialog) {
        child<QLineEdit>(dialog, "IDC_EDT_TITLE")->setText(QStringLiteral("Waltz"));
        auto* timebase = child<QComboBox>(dialog, "IDC_CMB_TIMEBASE");
        timebase->setCurrentText(QStringLiteral("0"));
        dialog.accept();  // refused: stays open
        EXPECT_FALSE(dialog.result());
        timebase->setCurrentText(QStringLiteral("48"));
        dialog.accept();
        return dialog.result() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    w.runCommand(command::kDocumentProperty);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("分解能は1～960の間で設定してください。"));
    EXPECT_EQ(w.song().title, u"Waltz");
    EXPECT_EQ(w.song().timing.timebase, 48);
    EXPECT_EQ(w.song().markers[0].tick, 19);
    EXPECT_TRUE(w.isModified());
}

TEST_F(MainWindowTest, MarkerEditDeleteAndUndo)
{
    auto& w = makeWindow();
    onMarker = [](CMMLMarkerDlg&) { return int(QDialog::Accepted); };
    w.pianoRoll().onMarkerCommand(kMarkerCreateCommand, 96, 0);
    w.pianoRoll().onMarkerCommand(kMarkerCreateCommand, 192, 0);
    ASSERT_EQ(w.song().markers.size(), 2u);
    EXPECT_EQ(w.song().markers[0].name, u"新規マーカー");
    onMarker = [](CMMLMarkerDlg& dialog) {
        dialog.nameField().setText(QStringLiteral("B"));
        return int(QDialog::Accepted);
    };
    w.pianoRoll().onMarkerCommand(kMarkerEditCommand, 0, 2);
    EXPECT_EQ(w.song().markers[1].name, u"B");
    onMarker = [](CMMLMarkerDlg&) { return CMMLMarkerDlg::kDeleteResult; };
    w.pianoRoll().onMarkerCommand(kMarkerEditCommand, 0, 1);
    ASSERT_EQ(w.song().markers.size(), 1u);
    w.pianoRoll().onMarkerCommand(kMarkerDeleteCommand, 0, 1);
    EXPECT_TRUE(w.song().markers.empty());
    for (size_t expected : {1u, 2u, 2u}) {
        w.runCommand(command::kUndo);
        EXPECT_EQ(w.song().markers.size(), expected);
    }
    EXPECT_EQ(w.song().markers[1].name, u"新規マーカー");
}

TEST_F(MainWindowTest, MigrationMakesANewModifiedDocumentAndKeepsTheOldFile)
{
    auto& w = makeWindow();
    const std::string bytes = "[Settings]\r\nTimeBase=32\r\n[Channel1]\r\nc8c8c8\r\n";
    const QString path = writeDocument("old.mml", bytes);
    ASSERT_TRUE(w.openDocumentPath(path));
    w.runCommand(command::kMigration);
    EXPECT_EQ(w.song().timing.timebase, 96);
    EXPECT_TRUE(w.documentPath().endsWith(QStringLiteral("old (マイグレーション済み).mml")));
    EXPECT_TRUE(w.isModified());
    EXPECT_EQ(test::readBytes(folder.path() / "old.mml"), bytes);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("マイグレーションが完了しました。"));
    w.runCommand(command::kMigration);  // at 96: nothing
    EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
}  // namespace zema
