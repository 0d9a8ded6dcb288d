#pragma once

#include <QDialog>
#include <vector>

#include "document/instrument_definitions.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace zema {

// What the user chose in the import dialog.
struct ClipImportChoice {
    bool addToCurrent = false;  // "追加読み込み(&A)"; otherwise a new document
    int32_t instrument = 0;     // instrument number of the chosen entry
    std::u16string name;        // the track name the numbers are appended to
};

// "クリップボードのMMLを入力": how pasted MML@ tracks are taken in.
class CMMLClipImportDlg final : public QDialog {
    Q_OBJECT
public:
    CMMLClipImportDlg(int trackCount, std::vector<InstrumentPreset> presets, bool withGeneralMidi,
                      QWidget* parent = nullptr);

    [[nodiscard]] ClipImportChoice choice() const;
    // For tests: the controls.
    [[nodiscard]] QRadioButton& addButton() const { return *add_; }
    [[nodiscard]] QComboBox& instruments() const { return *instrument_; }
    [[nodiscard]] QLineEdit& name() const { return *name_; }

private:
    std::vector<InstrumentPreset> presets_;
    std::vector<InstrumentListItem> items_;
    QRadioButton* add_ = nullptr;
    QComboBox* instrument_ = nullptr;
    QLineEdit* name_ = nullptr;
};

}  // namespace zema
