// Search and replace from the window: Ctrl+F and Ctrl+R open the dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "app/command_table.h"
#include "gui/dialogs/text_search_dialog.h"
#include "gui/main_window_fixture.h"

namespace zema {
namespace {

class SearchWindowTest : public MainWindowTest {
protected:
    CMMLTextSearch& open(int32_t command)
    {
        window->runCommand(command);
        EXPECT_NE(window->textSearch(), nullptr);
        return *window->textSearch();
    }

    // The editor's selection as offsets of its text.
    std::pair<int, int> selected(int slot)
    {
        const QTextCursor cursor = editor(slot).textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }
};

TEST_F(SearchWindowTest, FindsRoundTheTrackAndReportsMisses)
{
    auto& w = makeWindow();
    type(0, "c4 d C8");
    (void)editor(0).setCaret(0, 0);
    CMMLTextSearch& dialog = open(command::kSearch);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "検索");
    EXPECT_FALSE(dialog.replaceText().isVisible());

    dialog.searchText().setEditText("C");
    QTest::keyClick(&dialog.searchText(), Qt::Key_Return);  // Enter finds up: from the top it wraps to the end
    EXPECT_EQ(selected(0), std::pair(5, 6));
    EXPECT_EQ(w.statusText(3), "トラックの先頭まで検索したので、末尾から続けて検索しました。");
    dialog.findDown();
    EXPECT_EQ(selected(0), std::pair(0, 1));
    EXPECT_EQ(w.statusText(3), "トラックの末尾まで検索したので、先頭から続けて検索しました。");
    dialog.findDown();
    EXPECT_EQ(selected(0), std::pair(5, 6));
    dialog.matchCase().setChecked(true);
    dialog.findUp();
    EXPECT_EQ(selected(0), std::pair(5, 6));

    dialog.searchText().setEditText("x");
    dialog.findDown();
    EXPECT_EQ(messages, (Messages{{QMessageBox::Information, "文字列 'x' が見つかりません。"}}));
    ASSERT_EQ(dialog.searchText().count(), 2);
    EXPECT_EQ(dialog.searchText().itemText(0), "x");

    // Closing only hides it: Ctrl+R brings it back as it was, with the selection to search for.
    dialog.reject();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(&open(command::kReplace), &dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "検索・置換");
    EXPECT_TRUE(dialog.replaceText().isVisible());
    EXPECT_TRUE(dialog.matchCase().isChecked());
    EXPECT_EQ(dialog.searchText().currentText(), "C");
}

TEST_F(SearchWindowTest, ReplaceAllReportsTheCountAndIsOneUndoStep)
{
    auto& w = makeWindow();
    type(0, "c d c");
    CMMLTextSearch& dialog = open(command::kReplace);
    dialog.searchText().setEditText("C");
    dialog.replaceText().setEditText("e8");
    dialog.replaceAll();
    EXPECT_EQ(editor(0).text(), u"e8 d e8");
    EXPECT_EQ(w.song().tracks[0].text, u"e8 d e8");
    EXPECT_EQ(messages, (Messages{{QMessageBox::Information, "2箇所を置換しました。"}}));

    // No match: the count is 0 and nothing becomes an undo step.
    dialog.searchText().setEditText("x");
    dialog.replaceAll();
    EXPECT_EQ(messages.back().text, "0箇所を置換しました。");
    EXPECT_EQ(editor(0).text(), u"e8 d e8");

    w.runCommand(command::kUndo);
    EXPECT_EQ(editor(0).text(), u"c d c");
    w.runCommand(command::kRedo);
    EXPECT_EQ(editor(0).text(), u"e8 d e8");
}

TEST_F(SearchWindowTest, ASelectionOverSeveralLinesIsTheReplaceRange)
{
    makeWindow();
    (void)editor(0).setText(u"c c\nc c");
    (void)editor(0).setSelection(0, 2, 1, 1);
    CMMLTextSearch& dialog = open(command::kReplace);
    EXPECT_TRUE(dialog.selectionRange().isChecked());
    dialog.searchText().setEditText("c");
    dialog.replaceText().setEditText("d");
    dialog.replaceAll();
    EXPECT_EQ(editor(0).text(), u"c d\r\nd c");
    EXPECT_EQ(messages.back().text, "2箇所を置換しました。");
}

TEST_F(SearchWindowTest, HistoriesAndPlaceOutliveTheWindow)
{
    makeWindow();
    type(0, "c d");
    CMMLTextSearch& first = open(command::kSearch);
    for (const char* text : {"c", "d", "c"}) {
        first.searchText().setEditText(QString::fromLatin1(text));
        first.findDown();
    }
    first.move(120, 90);
    window->storeSettings();

    makeWindow();
    CMMLTextSearch& second = open(command::kSearch);
    ASSERT_EQ(second.searchText().count(), 2);
    EXPECT_EQ(second.searchText().itemText(0), "c");
    EXPECT_EQ(second.searchText().itemText(1), "d");
    EXPECT_EQ(second.pos(), QPoint(120, 90));
}

}  // namespace
}  // namespace zema
