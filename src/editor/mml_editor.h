#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/note_edit.h"

namespace zema {

class CMMLHighlighter;

// Status codes of the editor operations.
enum EditorStatus : int {
    kEditorOk = 0,
    kEditorInvalidArgument = -1,
    kEditorNoControl = -2,
    kEditorFailed = -3,
    kEditorNothingToUndo = -4,
    kEditorNoSelection = -5,
    kEditorNotFound = -8,
};

// Change codes passed to the change handler.
enum EditorChange : int {
    kChangeTyped = 0,     // characters typed or an input method committed
    kChangeDeleted = 1,   // Delete or Back Space
    kChangeReplaced = 2,  // typing over a selection
    kChangeDropped = 9,   // text dragged in
    kChangeUndo = 5,
    kChangeRedo = 6,
    kChangeCut = 7,
    kChangePaste = 8,
    kChangeReplaceSelection = 12,
    kChangeNoteEdit = 13,  // notes edited in the piano roll, written into the text
};

// Line-break forms for reading the text out.
enum class LineBreak { CrLf, Lf, Cr };

// Search flags.
inline constexpr int kSearchBackward = 1;
inline constexpr int kSearchMatchCase = 2;
inline constexpr int kSearchNoRedraw = 8;
inline constexpr int kSearchBeep = 16;

// One track's MML editor: a plain-text editor with line numbers and syntax
// colouring. Positions are (line, column), both from 0, the column counted
// in UTF-16 code units, the same coordinates the compiler gives its events.
// Every change of the text other than setText reports one change code to the
// handler, and each report is exactly one step of the editor's own undo.
class CMMLEditor final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CMMLEditor(QWidget* parent = nullptr);
    ~CMMLEditor() override;

    using ChangeHandler = std::function<void(int code)>;
    void setChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }

    // Replaces the whole text and forgets the editor's undo; no change report.
    int setText(std::u16string_view text);
    [[nodiscard]] std::u16string text(LineBreak lineBreak = LineBreak::CrLf) const;
    [[nodiscard]] qsizetype textLength(LineBreak lineBreak = LineBreak::CrLf) const;

    int getCaret(int* line, int* column) const;
    int setCaret(int line, int column, bool redraw = true);
    int getSelection(int* startLine, int* startColumn, int* endLine, int* endColumn) const;
    int setSelection(int startLine, int startColumn, int endLine, int endColumn, bool redraw = true);
    int selectAllText(bool redraw = true);

    int replaceSelection(std::u16string_view text);
    // Replaces spans of the text as one edit (one undo step of its own,
    // reported as kChangeNoteEdit). Offsets and lengths count UTF-16 units of
    // text() with CR LF line breaks; the changes are ordered and do not
    // overlap. The changed stretch is selected afterwards.
    // kEditorInvalidArgument (and nothing changed) when a change lies outside the text.
    int applyTextChanges(std::span<const TextChange> changes);
    int copySelection();
    int cutSelection();
    int pasteClipboard();
    int undoStep();
    // The next change starts a new undo step instead of extending the last
    // typing run (after a save, so that typing on is a change of its own).
    void startNewUndoStep();
    int redoStep();
    int search(std::u16string_view text, int flags);

    void setPlaybackFlag(bool playing);
    [[nodiscard]] bool playbackFlag() const { return playing_; }
    // The configured face when it is installed, else a Japanese monospace
    // font, else the system's fixed font.
    int setEditorFont(const QString& face, int pointSize);

    // Line-number gutter, drawn by the editor.
    [[nodiscard]] int lineNumberWidth() const;
    void paintLineNumbers(QPaintEvent* event);

    [[nodiscard]] CMMLHighlighter& highlighter() { return *highlighter_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    [[nodiscard]] std::optional<int> positionOf(int line, int column) const;
    void positionToLineColumn(int position, int& line, int& column) const;
    void report(int code);
    // Runs an edit of the editor's own and reports it with `code`.
    template <typename Edit>
    void runReported(int code, Edit&& edit);
    void onUndoCommandAdded();
    void updateGutter(const QRect& rect, int dy);

    ChangeHandler changeHandler_;
    CMMLHighlighter* highlighter_ = nullptr;  // owned by the document
    QWidget* gutter_ = nullptr;               // owned by the editor
    std::optional<int> pendingCode_;          // code of an edit this editor is making itself
    bool silent_ = false;                     // setText in progress
    bool playing_ = false;
};

}  // namespace zema
