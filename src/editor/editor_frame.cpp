#include "editor/editor_frame.h"

namespace zema {

CEditorFrame::CEditorFrame(QWidget* parent) : QStackedWidget(parent)
{
    for (CMMLEditor*& editor : editors_) {
        editor = new CMMLEditor(this);
        addWidget(editor);
    }
}

CMMLEditor* CEditorFrame::editor(int slot) const
{
    return slot >= 0 && slot < kSlots ? editors_[static_cast<size_t>(slot)] : nullptr;
}

void CEditorFrame::showSlot(int slot)
{
    if (CMMLEditor* shown = editor(slot)) setCurrentWidget(shown);
}

void CEditorFrame::setEditorFont(const QString& face, int pointSize)
{
    for (CMMLEditor* editor : editors_) (void)editor->setEditorFont(face, pointSize);
}

void CEditorFrame::setPlaybackFlag(bool playing)
{
    for (CMMLEditor* editor : editors_) editor->setPlaybackFlag(playing);
}

}  // namespace zema
