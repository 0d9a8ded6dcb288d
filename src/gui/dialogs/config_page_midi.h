#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/settings_location.h"
#include "gui/dialogs/preferences_sheet.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zema {

// The "MIDI" page: the output device, the reset sent after opening it, the
// instrument definition file and whether the GM presets are listed.
class CConfigPageMidi final : public QWidget {
    Q_OBJECT
public:
    CConfigPageMidi(const Settings& settings, const std::vector<std::u16string>& ports, bool synthAvailable,
                    SettingsLocation location, PreferencesOpenFile openFile, QWidget* parent = nullptr);

    void apply(Settings& settings) const;

private:
    void browseInstruments();

    size_t portCount_ = 0;
    bool synthAvailable_ = false;
    SettingsLocation location_;
    PreferencesOpenFile openFile_;
    QComboBox* output_ = nullptr;
    QComboBox* reset_ = nullptr;
    QLineEdit* instruments_ = nullptr;
    QCheckBox* disableGm_ = nullptr;
};

}  // namespace zema
