#include <gtest/gtest.h>

#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <tuple>
#include <vector>

#include "core/mml_compiler.h"
#include "editor/mml_editor.h"
#include "editor/mml_highlighter.h"
#include "qt_test_support.h"

namespace zema {
namespace {

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.setChangeHandler([this](int code) { codes.push_back(code); });
    }

    QApplication& app = test::qtApp();  // before any widget
    CMMLEditor editor;
    std::vector<int> codes;
};

TEST_F(EditorTest, TextKeepsCrLfLinesAndSetTextIsNotReported)
{
    EXPECT_EQ(editor.setText(u"t120 cde\r\n// comment\r\nfga"), kEditorOk);
    EXPECT_EQ(editor.text(), u"t120 cde\r\n// comment\r\nfga");
    EXPECT_EQ(editor.text(LineBreak::Lf), u"t120 cde\n// comment\nfga");
    EXPECT_EQ(editor.textLength(), 25);
    EXPECT_EQ(editor.textLength(LineBreak::Cr), 23);
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(editor.undoStep(), kEditorNothingToUndo);
}

TEST_F(EditorTest, PositionsAreUtf16LinesAndColumnsLikeTheCompilers)
{
    // "𝄞" is two UTF-16 code units; the note after it starts at column 3 of line 1.
    const std::u16string text = u"o4 c\r\n𝄞 d8";
    editor.setText(text);
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, text, events, states, 0, false, false);
    const TrackEvent* d = nullptr;
    for (const TrackEvent& event : events) {
        if (event.kind == TrackEventKind::Note && event.startLine == 1) d = &event;
    }
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(editor.setSelection(d->startLine, d->startColumn, d->endLine, d->endColumn), kEditorOk);
    EXPECT_EQ(editor.textCursor().selectedText(), QStringLiteral("d8"));
    int line = -1;
    int column = -1;
    int endLine = -1;
    int endColumn = -1;
    EXPECT_EQ(editor.getSelection(&line, &column, &endLine, &endColumn), kEditorOk);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 3);
    EXPECT_EQ(endColumn, 5);
    EXPECT_EQ(editor.getCaret(&line, nullptr), kEditorOk);
    EXPECT_EQ(line, 1);
}

TEST_F(EditorTest, InvalidPositionsAndMissingSelectionGiveTheirCodes)
{
    editor.setText(u"abc\r\nde");
    EXPECT_EQ(editor.setCaret(1, 2), kEditorOk);
    EXPECT_EQ(editor.setCaret(1, 3), kEditorInvalidArgument);
    EXPECT_EQ(editor.setCaret(2, 0), kEditorInvalidArgument);
    EXPECT_EQ(editor.setCaret(-1, 0), kEditorInvalidArgument);
    EXPECT_EQ(editor.setSelection(1, 1, 0, 0), kEditorInvalidArgument);
    EXPECT_EQ(editor.setSelection(0, 0, 0, 9), kEditorInvalidArgument);
    EXPECT_EQ(editor.getSelection(nullptr, nullptr, nullptr, nullptr), kEditorNoSelection);
    EXPECT_EQ(editor.copySelection(), kEditorNoSelection);
    EXPECT_EQ(editor.cutSelection(), kEditorNoSelection);
    EXPECT_EQ(editor.search(u"", 0), kEditorInvalidArgument);
    EXPECT_TRUE(codes.empty());
}

TEST_F(EditorTest, EachEditReportsOneCodeAndOneUndoStep)
{
    editor.setText(u"cde");
    editor.setFocus();
    editor.setCaret(0, 3);
    QTest::keyClicks(&editor, QStringLiteral("fg"));
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), kChangeTyped);

    editor.setSelection(0, 0, 0, 1);
    EXPECT_EQ(editor.replaceSelection(u"r"), kEditorOk);
    EXPECT_EQ(codes.back(), kChangeReplaceSelection);
    EXPECT_EQ(editor.text(), u"rdefg");

    editor.setSelection(0, 1, 0, 3);
    EXPECT_EQ(editor.cutSelection(), kEditorOk);
    EXPECT_EQ(codes.back(), kChangeCut);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("de"));
    EXPECT_EQ(editor.setCaret(0, 0), kEditorOk);
    EXPECT_EQ(editor.pasteClipboard(), kEditorOk);
    EXPECT_EQ(codes.back(), kChangePaste);
    EXPECT_EQ(editor.text(), u"derfg");

    // Undoing every reported step brings back the text set last, and no step more.
    const size_t reported = codes.size();
    for (size_t i = 0; i < reported; ++i) EXPECT_EQ(editor.undoStep(), kEditorOk) << i;
    EXPECT_EQ(editor.text(), u"cde");
    EXPECT_EQ(editor.undoStep(), kEditorNothingToUndo);
    EXPECT_EQ(codes.back(), kChangeUndo);
    EXPECT_EQ(editor.redoStep(), kEditorOk);
    EXPECT_EQ(codes.back(), kChangeRedo);
}

TEST_F(EditorTest, KeyboardDeletionAndUndoKeysAreReported)
{
    editor.setText(u"abc");
    editor.setCaret(0, 3);
    QTest::keyClick(&editor, Qt::Key_Backspace);
    EXPECT_EQ(editor.text(), u"ab");
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes.back(), kChangeDeleted);
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.text(), u"abc");
    EXPECT_EQ(codes.back(), kChangeUndo);
}

TEST_F(EditorTest, TextChangesCountCrLfAsTwoUnitsAndAreOneUndoStep)
{
    struct Case {
        std::vector<TextChange> changes;
        std::u16string after;
        std::u16string selected;
    };
    const Case cases[] = {
        {{{5, 1, u"<b>"}}, u"t120 <b>de\r\nv10 fga\r\ng", u"<b>"},
        {{{14, 1, u"a"}, {19, 1, u""}}, u"t120 cde\r\nv10 aga\r\n", u"aga\n"},
        {{{8, 2, u" "}}, u"t120 cde v10 fga\r\ng", u" "},
        {{{0, 0, u"l8\r\n"}, {8, 0, u"r"}}, u"l8\r\nt120 cder\r\nv10 fga\r\ng", u"l8\nt120 cder"},
    };
    for (const Case& c : cases) {
        (void)editor.setText(u"t120 cde\r\nv10 fga\r\ng");
        codes.clear();
        ASSERT_EQ(editor.applyTextChanges(c.changes), kEditorOk);
        EXPECT_EQ(editor.text(), c.after);
        EXPECT_EQ(editor.textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
                  QString::fromStdU16String(c.selected));
        EXPECT_EQ(codes, std::vector<int>{kChangeNoteEdit});
        EXPECT_EQ(editor.undoStep(), kEditorOk);
        EXPECT_EQ(editor.text(), u"t120 cde\r\nv10 fga\r\ng");
    }
    // Outside the text or out of order: refused, nothing changes.
    const std::vector<TextChange> outside = {{20, 5, u"x"}};
    const std::vector<TextChange> backwards = {{6, 1, u"x"}, {2, 1, u"y"}};
    EXPECT_EQ(editor.applyTextChanges(outside), kEditorInvalidArgument);
    EXPECT_EQ(editor.applyTextChanges(backwards), kEditorInvalidArgument);
    EXPECT_EQ(editor.text(), u"t120 cde\r\nv10 fga\r\ng");
}

TEST_F(EditorTest, SearchSelectsTheNextMatchAndReportsMisses)
{
    editor.setText(u"cde\r\nCDE cde");
    editor.setCaret(0, 0);
    EXPECT_EQ(editor.search(u"cde", kSearchMatchCase), kEditorOk);
    EXPECT_EQ(editor.search(u"cde", kSearchMatchCase), kEditorOk);
    int line = 0;
    int column = 0;
    editor.getSelection(&line, &column, nullptr, nullptr);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 4);
    EXPECT_EQ(editor.search(u"cde", kSearchMatchCase), kEditorNotFound);
    EXPECT_EQ(editor.search(u"cde", kSearchBackward), kEditorOk);
    editor.getSelection(&line, &column, nullptr, nullptr);
    EXPECT_EQ(column, 0);
    EXPECT_TRUE(codes.empty());
}

QColor colourAt(CMMLEditor& editor, int line, int column)
{
    const QTextBlock block = editor.document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length) return range.format.foreground().color();
    }
    return {};
}

TEST_F(EditorTest, ColouringFollowsTheRuleOrder)
{
    editor.setText(u"t120 v10 cde //# directive\r\n/* note\r\nstill */ o4 >c\r\n// plain l8");
    // {line, column, colour}: note letters stay plain, "//#" wins over "//", a block
    // comment reaches across the line break, and colouring resumes after it closes.
    const std::tuple<int, int, QColor> expected[] = {
        {0, 0, QColor(141, 198, 63)}, {0, 5, QColor(255, 128, 0)}, {0, 9, QColor()},          {0, 13, QColor(128, 128, 0)},
        {0, 20, QColor(128, 128, 0)}, {1, 3, QColor(0, 160, 0)},   {2, 2, QColor(0, 160, 0)}, {2, 9, QColor(0, 174, 254)},
        {2, 12, QColor(0, 0, 223)},   {3, 9, QColor(0, 160, 0)}};
    for (const auto& [line, column, colour] : expected) EXPECT_EQ(colourAt(editor, line, column), colour) << line << ":" << column;
}

TEST_F(EditorTest, FontFallsBackWhenTheFaceIsMissing)
{
    EXPECT_EQ(editor.setEditorFont(QStringLiteral("No Such Font Face"), 12), kEditorOk);
    EXPECT_EQ(editor.font().pointSize(), 12);
    EXPECT_NE(editor.font().family(), QStringLiteral("No Such Font Face"));
    EXPECT_EQ(editor.setEditorFont(QStringLiteral("x"), 0), kEditorInvalidArgument);
}

}  // namespace
}  // namespace zema
