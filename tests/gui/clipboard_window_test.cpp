// The game's MML@ text to and from the window: F7's dialog and Ctrl+Shift+V.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include "app/command_table.h"
#include "core/strings.h"
#include "gui/main_window_fixture.h"

namespace zema {
namespace {

QString clipboardText() { return QApplication::clipboard()->text(); }

TEST_F(MainWindowTest, ExportCopiesTheChosenTracksAsMmlAtText)
{
    auto& w = makeWindow();
    type(0, "c d e");
    type(1, "C8 C8");
    type(2, "// nothing");
    QString shownLine;
    onExport = [&](CMMLClipExportDlg& dialog) {
        shownLine = dialog.information().text();
        dialog.copyMml();
    };
    w.runCommand(command::kExportMmla);
    EXPECT_EQ(shownLine, QStringLiteral("必要作曲ランク : 練習"));
    // Sorting is on by default: the longest part is the melody.
    EXPECT_EQ(clipboardText(), QStringLiteral("MML@c8c8,cde,;"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, QMessageBox::Information);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("マビノギ(MML@)形式で")));
}

TEST_F(MainWindowTest, ExportOptionsReachTheSettingsWhenTheDialogCloses)
{
    auto& w = makeWindow();
    onExport = [](CMMLClipExportDlg& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("IDC_CHK_SORT"))->setChecked(false);
        dialog.findChild<QCheckBox*>(QStringLiteral("IDC_CHK_EXCLUDE_SONG"))->setChecked(true);
        dialog.reject();
    };
    w.runCommand(command::kExportMmla);
    EXPECT_FALSE(w.settings().clipExportSort);
    EXPECT_TRUE(w.settings().excludeSongPart);
}

TEST_F(MainWindowTest, ExportInMabiMmlFormCopiesTheWholeDocument)
{
    auto& w = makeWindow();
    type(0, "cde");
    onExport = [](CMMLClipExportDlg& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("IDC_RDO_FORMAT_MABIMML"))->click();
        EXPECT_FALSE(dialog.trackList().isEnabled());
        dialog.copyMml();
        EXPECT_FALSE(dialog.isVisible());
    };
    w.runCommand(command::kExportMmla);
    EXPECT_TRUE(clipboardText().contains(QStringLiteral("cde")));
    EXPECT_TRUE(clipboardText().contains(QStringLiteral("[Settings]")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "MabiMML形式で出力しました。");
}

TEST_F(MainWindowTest, AScoreBookIsCopiedOneScrollAtATime)
{
    auto& w = makeWindow();
    type(0, std::string(450, 'c').c_str());
    std::vector<QString> copied;
    onExport = [&](CMMLClipExportDlg& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("IDC_RDO_FORMAT_BOOK"))->click();
        dialog.findChild<QComboBox*>(QStringLiteral("IDC_CMB_BOOK_RANK"))->setCurrentIndex(1);
        Q_EMIT dialog.findChild<QComboBox*>(QStringLiteral("IDC_CMB_BOOK_RANK"))->activated(1);
        for (int i = 0; i < 3; ++i) {
            dialog.copyMml();
            copied.push_back(clipboardText());
        }
    };
    w.runCommand(command::kExportMmla);
    ASSERT_EQ(copied.size(), 3u);
    EXPECT_TRUE(copied[0].startsWith(QStringLiteral("MML@")));
    EXPECT_NE(copied[0], copied[1]);
    EXPECT_EQ(copied[2], copied[0]) << "after the last scroll the book starts again";
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].text, QStringLiteral("楽譜集のスクロール 2 / 2 をコピーしました。"));
    EXPECT_EQ(w.settings().clipExportBookRank, 1);
}

struct ImportCase {
    const char* name;
    bool add;
    int trackCount;            // tracks in use before
    const char* clipboard;
    std::vector<std::u16string> names;  // of the imported tracks, in tab order after the existing ones
    int noMoreMessages;
};

void PrintTo(const ImportCase& c, std::ostream* os) { *os << c.name; }

class ClipboardImport : public MainWindowTest, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(ClipboardImport, BuildsTheTracksAndMarksTheDocumentModified)
{
    const ImportCase& c = GetParam();
    Settings settings;
    settings.defaultTrackCount = c.trackCount;
    auto& w = makeWindow(settings);
    QApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
    ClipImportChoice choice;
    choice.addToCurrent = c.add;
    choice.name = u"Part";
    choice.instrument = 3;
    onImport = [&](CMMLClipImportDlg&) { return choice; };
    w.runCommand(command::kImportMml);
    const auto& order = w.song().trackOrder;
    const size_t before = c.add ? static_cast<size_t>(c.trackCount) : 0;
    ASSERT_EQ(order.size(), before + c.names.size());
    for (size_t i = 0; i < c.names.size(); ++i) {
        const Track& track = w.song().tracks[static_cast<size_t>(order[before + i])];
        EXPECT_EQ(track.name, c.names[i]);
        EXPECT_EQ(track.instrument, 3);
    }
    EXPECT_TRUE(w.isModified());
    EXPECT_TRUE(w.documentPath().isEmpty());
    const auto noMore = std::count_if(messages.begin(), messages.end(), [](const Message& m) {
        return m.text == QString::fromStdU16String(loadString("IDS_ERR_NOMOREADDTRACK"));
    });
    EXPECT_EQ(noMore, c.noMoreMessages);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ClipboardImport,
    ::testing::Values(ImportCase{"New", false, 3, "MML@cde,efg,gab;", {u"Part1", u"Part2", u"Part3"}, 0},
                      ImportCase{"SongPart", false, 3, "MML@c,d,e,f;", {u"Part1", u"Part2", u"Part3", u"Part4"}, 0},
                      ImportCase{"Add", true, 3, "MML@cde,efg;", {u"Part1", u"Part2"}, 0},
                      ImportCase{"AddUntilFull", true, 14, "MML@c,d,e;", {u"Part1"}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ImportCancelOrEmptyClipboardKeepsTheDocument)
{
    auto& w = makeWindow();
    type(0, "abc");
    QApplication::clipboard()->setText(QStringLiteral("MML@cde;"));
    w.runCommand(command::kImportMml);  // the dialog is cancelled
    EXPECT_EQ(w.song().tracks[0].text, u"abc");
    QApplication::clipboard()->clear();
    w.runCommand(command::kImportMml);
    EXPECT_EQ(messages, (Messages{{QMessageBox::Critical, "クリップボードが開けませんでした。"}}));
}

TEST_F(MainWindowTest, APastedDocumentBecomesTheNewUntitledDocument)
{
    auto& w = makeWindow();
    QApplication::clipboard()->setText(
        QStringLiteral("[Settings]\r\nTitle=Pasted\r\n[Channel1]\r\ncdef\r\n"));
    w.runCommand(command::kImportMml);
    EXPECT_EQ(w.song().title, u"Pasted");
    EXPECT_TRUE(w.isModified());
    EXPECT_TRUE(w.documentPath().isEmpty());
}

}  // namespace
}  // namespace zema
