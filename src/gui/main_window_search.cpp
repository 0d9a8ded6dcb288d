// The main window's search and replace: the modeless dialog over the current
// track's editor, its histories and place in the settings file, and the
// status-bar note of a search that went round the end of the track.
#include <QLabel>

#include "editor/editor_frame.h"
#include "gui/dialogs/text_search_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace zema {

namespace {

// The current track's editor in the offsets the search counts in.
class CurrentEditor final : public ISearchEditor {
public:
    explicit CurrentEditor(CMainWindow& window) : window_(window) {}

    [[nodiscard]] std::u16string text() const override { return editor().text(LineBreak::Lf); }

    [[nodiscard]] TextSpan selection() const override
    {
        LineColumn start;
        LineColumn end;
        if (editor().getSelection(&start.line, &start.column, &end.line, &end.column) != kEditorOk) {
            (void)editor().getCaret(&start.line, &start.column);
            end = start;
        }
        const std::u16string all = text();
        return {offsetOf(all, start), offsetOf(all, end)};
    }

    void select(TextSpan span) override
    {
        const std::u16string all = text();
        const LineColumn start = lineColumnOf(all, span.start);
        const LineColumn end = lineColumnOf(all, span.end);
        (void)editor().setSelection(start.line, start.column, end.line, end.column);
    }

    void replace(TextSpan span, std::u16string_view replacement) override
    {
        // A step of its own: neither joined to the typing before it nor to what is typed next.
        CMMLEditor& target = editor();
        target.startNewUndoStep();
        select(span);
        (void)target.replaceSelection(replacement);
        target.startNewUndoStep();
        window_.recompilePending();
    }

private:
    [[nodiscard]] CMMLEditor& editor() const { return *window_.editorFrame().editor(window_.song().currentTrack); }

    CMainWindow& window_;
};

}  // namespace

void CMainWindow::registerSearchCommands()
{
    commands_.add(command::kSearch, [this] { showTextSearch(false); });
    commands_.add(command::kReplace, [this] { showTextSearch(true); });
}

void CMainWindow::showTextSearch(bool replacing)
{
    if (textSearch_ == nullptr) {
        searchEditor_ = std::make_unique<CurrentEditor>(*this);
        TextSearchHost host;
        host.editor = [this]() -> ISearchEditor& { return *searchEditor_; };
        host.busy = [this] { return isBusy(); };
        host.inform = [this](const QString& text) { (void)ask(QMessageBox::Information, text, QMessageBox::Ok); };
        // Until the caret moves on, the note stands where the state at the caret is shown.
        host.notice = [this](const QString& text) { panes_[3]->setText(text); };
        textSearch_ = new CMMLTextSearch(TextSearch(loadSearchHistories(location_.iniPath())),
                                         loadSearchDialogPosition(location_.iniPath()), std::move(host), this);
        // Ctrl+F and Ctrl+R switch the mode from inside the dialog too.
        textSearch_->addActions({action(command::kSearch), action(command::kReplace)});
    }
    textSearch_->showFor(replacing);
}

void CMainWindow::refreshSearchButtons(bool busy)
{
    if (textSearch_ != nullptr) textSearch_->setBusy(busy);
}

void CMainWindow::retranslateSearch()
{
    if (textSearch_ != nullptr) textSearch_->retranslate();
}

void CMainWindow::storeSearchState()
{
    if (textSearch_ == nullptr) return;
    (void)saveSearchHistories(location_.iniPath(), textSearch_->search().histories());
    (void)saveSearchDialogPosition(location_.iniPath(), textSearch_->position());
}

}  // namespace zema
