#pragma once

#include <QWidget>

#include "app/settings.h"
#include "gui/dialogs/preferences_sheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace zema {

// The "DLS演奏" page: the software synthesizer's bank file (DLS or SF2),
// sample rate, channels, effects and master volume.
class CConfigPageDls final : public QWidget {
    Q_OBJECT
public:
    CConfigPageDls(const Settings& settings, PreferencesOpenFile openFile, QWidget* parent = nullptr);

    void apply(Settings& settings) const;

private:
    void browseBank();

    PreferencesOpenFile openFile_;
    QLineEdit* bank_ = nullptr;
    QComboBox* rate_ = nullptr;
    QComboBox* channels_ = nullptr;
    QCheckBox* reverb_ = nullptr;
    QCheckBox* chorus_ = nullptr;
    QCheckBox* delay_ = nullptr;
    QSlider* volume_ = nullptr;
    QLabel* volumeText_ = nullptr;
};

}  // namespace zema
