#include "editor/mml_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>

#include "editor/mml_highlighter.h"

namespace zema {

namespace {

// The line-number column at the editor's left edge.
class LineNumberGutter final : public QWidget {
public:
    explicit LineNumberGutter(CMMLEditor* editor) : QWidget(editor), editor_(editor) {}
    [[nodiscard]] QSize sizeHint() const override { return {editor_->lineNumberWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->paintLineNumbers(event); }

private:
    CMMLEditor* editor_;
};

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string toU16(const QString& text) { return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())); }

// CR LF and lone LF both end a line inside the editor.
QString editorLines(std::u16string_view text)
{
    QString lines = toQString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

std::u16string_view breakText(LineBreak lineBreak)
{
    switch (lineBreak) {
    case LineBreak::CrLf: return u"\r\n";
    case LineBreak::Lf: return u"\n";
    case LineBreak::Cr: return u"\r";
    }
    return u"\r\n";
}

}  // namespace

CMMLEditor::CMMLEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    highlighter_ = new CMMLHighlighter(document());
    for (const auto& rule : CMMLHighlighter::defaultRules()) highlighter_->addRule(rule);
    gutter_ = new LineNumberGutter(this);

    connect(document(), &QTextDocument::undoCommandAdded, this, &CMMLEditor::onUndoCommandAdded);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(lineNumberWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &CMMLEditor::updateGutter);
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
}

CMMLEditor::~CMMLEditor() = default;

int CMMLEditor::setText(std::u16string_view text)
{
    silent_ = true;
    setPlainText(editorLines(text));
    silent_ = false;
    return kEditorOk;
}

std::u16string CMMLEditor::text(LineBreak lineBreak) const
{
    std::u16string out;
    const std::u16string_view separator = breakText(lineBreak);
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        if (block != document()->firstBlock()) out += separator;
        out += toU16(block.text());
    }
    return out;
}

qsizetype CMMLEditor::textLength(LineBreak lineBreak) const
{
    const qsizetype lines = document()->blockCount();
    // characterCount counts one separator per block, including a final one.
    const qsizetype characters = document()->characterCount() - lines;
    return characters + (lines - 1) * static_cast<qsizetype>(breakText(lineBreak).size());
}

std::optional<int> CMMLEditor::positionOf(int line, int column) const
{
    if (line < 0 || column < 0) return std::nullopt;
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid() || column > block.length() - 1) return std::nullopt;
    return block.position() + column;
}

void CMMLEditor::positionToLineColumn(int position, int& line, int& column) const
{
    const QTextBlock block = document()->findBlock(position);
    line = block.blockNumber();
    column = position - block.position();
}

int CMMLEditor::getCaret(int* line, int* column) const
{
    int l = 0;
    int c = 0;
    positionToLineColumn(textCursor().position(), l, c);
    if (line) *line = l;
    if (column) *column = c;
    return kEditorOk;
}

int CMMLEditor::setCaret(int line, int column, bool redraw)
{
    const std::optional<int> position = positionOf(line, column);
    if (!position) return kEditorInvalidArgument;
    QTextCursor cursor = textCursor();
    cursor.setPosition(*position);
    setTextCursor(cursor);
    if (redraw) ensureCursorVisible();
    return kEditorOk;
}

int CMMLEditor::getSelection(int* startLine, int* startColumn, int* endLine, int* endColumn) const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) return kEditorNoSelection;
    int l = 0;
    int c = 0;
    positionToLineColumn(cursor.selectionStart(), l, c);
    if (startLine) *startLine = l;
    if (startColumn) *startColumn = c;
    positionToLineColumn(cursor.selectionEnd(), l, c);
    if (endLine) *endLine = l;
    if (endColumn) *endColumn = c;
    return kEditorOk;
}

int CMMLEditor::setSelection(int startLine, int startColumn, int endLine, int endColumn, bool redraw)
{
    const std::optional<int> start = positionOf(startLine, startColumn);
    const std::optional<int> end = positionOf(endLine, endColumn);
    if (!start || !end || *start > *end) return kEditorInvalidArgument;
    QTextCursor cursor = textCursor();
    cursor.setPosition(*start);
    cursor.setPosition(*end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    if (redraw) ensureCursorVisible();
    return kEditorOk;
}

int CMMLEditor::selectAllText(bool redraw)
{
    selectAll();
    if (redraw) viewport()->update();
    return kEditorOk;
}

template <typename Edit>
void CMMLEditor::runReported(int code, Edit&& edit)
{
    pendingCode_ = code;
    edit();
    pendingCode_.reset();
}

int CMMLEditor::replaceSelection(std::u16string_view text)
{
    runReported(kChangeReplaceSelection, [&] {
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.insertText(editorLines(text));
        cursor.endEditBlock();
        setTextCursor(cursor);
    });
    return kEditorOk;
}

int CMMLEditor::applyTextChanges(std::span<const TextChange> changes)
{
    if (changes.empty()) return kEditorOk;
    // Offsets count CR LF as two units; the document holds one break per line.
    const std::u16string old = text(LineBreak::CrLf);
    const auto documentOffset = [&](int32_t offset) {
        int32_t breaks = 0;
        for (int32_t i = 0; i + 1 < offset; ++i) {
            if (old[static_cast<size_t>(i)] == u'\r' && old[static_cast<size_t>(i) + 1] == u'\n') ++breaks;
        }
        return offset - breaks;
    };
    int32_t previousEnd = 0;
    for (const TextChange& change : changes) {
        if (change.offset < previousEnd || change.removed < 0 ||
            static_cast<size_t>(change.offset) + static_cast<size_t>(change.removed) > old.size()) {
            return kEditorInvalidArgument;
        }
        previousEnd = change.offset + change.removed;
    }
    int selectionStart = 0;
    int selectionEnd = 0;
    startNewUndoStep();
    runReported(kChangeNoteEdit, [&] {
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        // From the last change back, so the earlier offsets stay valid.
        int shift = 0;  // how much the changes before the last one grow the text
        for (size_t i = changes.size(); i-- > 0;) {
            const TextChange& change = changes[i];
            const int start = documentOffset(change.offset);
            const int end = documentOffset(change.offset + change.removed);
            const QString inserted = editorLines(change.inserted);
            cursor.setPosition(start);
            cursor.setPosition(end, QTextCursor::KeepAnchor);
            cursor.insertText(inserted);
            if (i + 1 == changes.size()) selectionEnd = start + static_cast<int>(inserted.size());
            if (i == 0) selectionStart = start;
            if (i + 1 < changes.size()) shift += static_cast<int>(inserted.size()) - (end - start);
        }
        cursor.endEditBlock();
        selectionEnd += shift;
        QTextCursor selection(document());
        selection.setPosition(selectionStart);
        selection.setPosition(std::max(selectionStart, selectionEnd), QTextCursor::KeepAnchor);
        setTextCursor(selection);
    });
    startNewUndoStep();
    ensureCursorVisible();
    return kEditorOk;
}

int CMMLEditor::copySelection()
{
    if (!textCursor().hasSelection()) return kEditorNoSelection;
    copy();
    return kEditorOk;
}

int CMMLEditor::cutSelection()
{
    if (!textCursor().hasSelection()) return kEditorNoSelection;
    if (isReadOnly()) return kEditorFailed;
    runReported(kChangeCut, [this] { cut(); });
    return kEditorOk;
}

int CMMLEditor::pasteClipboard()
{
    if (isReadOnly()) return kEditorFailed;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText() || data->text().isEmpty()) return kEditorFailed;
    runReported(kChangePaste, [this] { paste(); });
    return kEditorOk;
}

void CMMLEditor::startNewUndoStep()
{
    // Qt merges adjacent typing into the last undo command only while the
    // document is marked modified; clearing the mark closes that command.
    document()->setModified(false);
}

int CMMLEditor::undoStep()
{
    if (!document()->isUndoAvailable()) return kEditorNothingToUndo;
    undo();
    startNewUndoStep();
    report(kChangeUndo);
    return kEditorOk;
}

int CMMLEditor::redoStep()
{
    if (!document()->isRedoAvailable()) return kEditorNothingToUndo;
    redo();
    startNewUndoStep();
    report(kChangeRedo);
    return kEditorOk;
}

int CMMLEditor::search(std::u16string_view text, int flags)
{
    if (text.empty()) return kEditorInvalidArgument;
    QTextDocument::FindFlags findFlags;
    if (flags & kSearchBackward) findFlags |= QTextDocument::FindBackward;
    if (flags & kSearchMatchCase) findFlags |= QTextDocument::FindCaseSensitively;
    const QTextCursor from = textCursor();
    // Forward searches start after the selection, backward ones before it.
    QTextCursor start(document());
    start.setPosition((flags & kSearchBackward) ? from.selectionStart() : from.selectionEnd());
    const QTextCursor found = document()->find(toQString(text), start, findFlags);
    if (found.isNull()) {
        if (flags & kSearchBeep) QApplication::beep();
        return kEditorNotFound;
    }
    setTextCursor(found);
    if (!(flags & kSearchNoRedraw)) ensureCursorVisible();
    return kEditorOk;
}

void CMMLEditor::setPlaybackFlag(bool playing)
{
    playing_ = playing;
    viewport()->update();
}

int CMMLEditor::setEditorFont(const QString& face, int pointSize)
{
    if (pointSize <= 0) return kEditorInvalidArgument;
    const QStringList families = QFontDatabase::families();
    QFont font;
    if (!face.isEmpty() && families.contains(face, Qt::CaseInsensitive)) {
        font = QFont(face);
    } else if (families.contains(QStringLiteral("IPAGothic"))) {
        font = QFont(QStringLiteral("IPAGothic"));
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    font.setPointSize(pointSize);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
    return kEditorOk;
}

int CMMLEditor::lineNumberWidth() const
{
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10) ++digits;
    digits = std::max(digits, 3);
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void CMMLEditor::paintLineNumbers(QPaintEvent* event)
{
    QPainter painter(gutter_);
    const QPalette colours = palette();
    painter.fillRect(event->rect(), colours.color(QPalette::AlternateBase));
    painter.setPen(colours.color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top()) {
            painter.drawText(0, top, gutter_->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        }
        top += height;
        block = block.next();
    }
}

void CMMLEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    gutter_->setGeometry(QRect(area.left(), area.top(), lineNumberWidth(), area.height()));
}

void CMMLEditor::updateGutter(const QRect& rect, int dy)
{
    if (dy != 0) {
        gutter_->scroll(0, dy);
    } else {
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
    }
}

void CMMLEditor::insertFromMimeData(const QMimeData* source)
{
    // Only plain text enters the editor; a drop is reported as dragged text.
    if (!source || !source->hasText()) return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(editorLines(toU16(source->text())));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void CMMLEditor::dropEvent(QDropEvent* event)
{
    runReported(kChangeDropped, [&] { QPlainTextEdit::dropEvent(event); });
}

void CMMLEditor::keyPressEvent(QKeyEvent* event)
{
    // The editor's own undo and redo go through the reported operations.
    if (event->matches(QKeySequence::Undo)) {
        (void)undoStep();
        return;
    }
    if (event->matches(QKeySequence::Redo)) {
        (void)redoStep();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        (void)cutSelection();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        (void)pasteClipboard();
        return;
    }
    int code = kChangeTyped;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        code = kChangeDeleted;
    } else if (textCursor().hasSelection()) {
        code = kChangeReplaced;
    }
    runReported(code, [&] { QPlainTextEdit::keyPressEvent(event); });
}

void CMMLEditor::report(int code)
{
    if (changeHandler_) changeHandler_(code);
}

void CMMLEditor::onUndoCommandAdded()
{
    if (silent_) return;
    report(pendingCode_.value_or(kChangeTyped));  // input-method text arrives without a key
}

}  // namespace zema
