#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "app/recovery.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zema {

// "作業の復元": the autosaves a run that did not end normally left behind,
// one row each (file or "(名称未設定)", time, tracks, characters), with
// "開く" (the chosen one becomes the window's document), "後で決める" (all
// stay for the next start) and "破棄" (the chosen one is deleted, after the
// `discard` callback asked and did it).
class CMMLRecoveryDlg final : public QDialog {
    Q_OBJECT
public:
    // Deletes a candidate; true when it is gone.
    using Discard = std::function<bool(const RecoveryCandidate& candidate)>;

    CMMLRecoveryDlg(std::vector<RecoveryCandidate> candidates, Discard discard, QWidget* parent = nullptr);

    // The rows still listed, in list order.
    [[nodiscard]] const std::vector<RecoveryCandidate>& candidates() const { return candidates_; }
    // The candidate "開く" chose; nothing after "後で決める" or when every row was discarded.
    [[nodiscard]] const std::optional<RecoveryCandidate>& chosen() const { return chosen_; }

    [[nodiscard]] QTreeWidget& list() const { return *list_; }
    void selectRow(int row);
    // The buttons, as clicking them does.
    void openSelected();
    void discardSelected();
    void keepForLater() { reject(); }

private:
    void fillList();
    void refreshButtons();

    std::vector<RecoveryCandidate> candidates_;
    Discard discard_;
    std::optional<RecoveryCandidate> chosen_;
    QTreeWidget* list_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* discardButton_ = nullptr;
};

}  // namespace zema
