#pragma once

#include <QStackedWidget>
#include <array>

#include "editor/mml_editor.h"

namespace zema {

// The sixteen track editors, one per track slot; only the current one shows.
class CEditorFrame final : public QStackedWidget {
    Q_OBJECT
public:
    static constexpr int kSlots = 16;

    explicit CEditorFrame(QWidget* parent = nullptr);

    // The editor of slot 0..15, or null for any other number.
    [[nodiscard]] CMMLEditor* editor(int slot) const;
    void showSlot(int slot);
    [[nodiscard]] int currentSlot() const { return currentIndex(); }
    // Font and playback flag for every editor.
    void setEditorFont(const QString& face, int pointSize);
    void setPlaybackFlag(bool playing);

private:
    std::array<CMMLEditor*, kSlots> editors_{};  // owned by the frame
};

}  // namespace zema
