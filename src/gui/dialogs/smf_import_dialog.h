#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "app/smf_import_choices.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zema {

// "標準MIDIファイルの入力": the tracks to convert, the profile, the quantize
// value and the conversion options of a MIDI file. OK checks the selection;
// a failed check shows its message and keeps the dialog open.
class CMMLSmfImportDlg final : public QDialog {
    Q_OBJECT
public:
    // `warn` shows a message with the exclamation icon.
    CMMLSmfImportDlg(const QString& midiPath, SmfImportChoices choices, std::function<void(const QString&)> warn,
                     QWidget* parent = nullptr);

    [[nodiscard]] const SmfImportChoices& choices() const { return choices_; }
    void accept() override;

    // For tests: the controls.
    [[nodiscard]] QListWidget& trackList() const { return *tracks_; }
    [[nodiscard]] QComboBox& profiles() const { return *profile_; }
    [[nodiscard]] QComboBox& quantize() const { return *quantize_; }
    [[nodiscard]] QLabel& information() const { return *information_; }
    [[nodiscard]] QCheckBox& optionBox(SmfOption option) const { return *options_[static_cast<size_t>(option)]; }
    [[nodiscard]] QPushButton& clearButton() const { return *clear_; }

private:
    void buildLayout(const QString& midiPath);
    // Shows the choices: list marks, profile, quantize, check boxes, information.
    void refresh();
    void readListSelection();

    SmfImportChoices choices_;
    std::function<void(const QString&)> warn_;
    QLabel* file_ = nullptr;
    QListWidget* tracks_ = nullptr;
    QPushButton* clear_ = nullptr;
    QComboBox* profile_ = nullptr;
    QComboBox* quantize_ = nullptr;
    QLabel* information_ = nullptr;
    std::array<QCheckBox*, kSmfOptionCount> options_{};
    bool syncing_ = false;  // refresh() is setting the controls
};

}  // namespace zema
