#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "app/clip_export_model.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace zema {

struct DocumentPropertyInput {
    const Song* song = nullptr;
    std::u16string fileName;  // shortened, empty for an untitled document
    bool busy = false;        // timing cannot change while the song plays
    ClipExportModel::Options rankOptions;  // sorting and the song-exclusion rule of the rank line
    // Shows the range message; an empty one shows a message box.
    std::function<void(const QString& text)> warn;
};

// What OK hands back.
struct DocumentPropertyResult {
    std::u16string title, source, memo;
    TimingContext timing;
    bool excludeSong = false;
};

// "プロパティ": title, source, memo, time signature, timebase and a live
// character count with the rank the chosen tracks need.
class CMMLPropatyDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CMMLPropatyDlg(DocumentPropertyInput input, QWidget* parent = nullptr);

    // OK: the timebase is checked first; the dialog stays open on a bad one.
    void accept() override;
    [[nodiscard]] const std::optional<DocumentPropertyResult>& result() const { return result_; }
    [[nodiscard]] QLabel& rankLine() const { return *rank_; }

private:
    void refreshRank();

    DocumentPropertyInput input_;
    std::vector<ClipListItem> tracks_;
    std::optional<DocumentPropertyResult> result_;
    QLineEdit* title_ = nullptr;
    QLineEdit* source_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QComboBox* numerator_ = nullptr;
    QComboBox* denominator_ = nullptr;
    QComboBox* timebase_ = nullptr;
    QListWidget* counts_ = nullptr;
    QLabel* rank_ = nullptr;
    QCheckBox* excludeSong_ = nullptr;
};

}  // namespace zema
