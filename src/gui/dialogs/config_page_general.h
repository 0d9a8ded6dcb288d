#pragma once

#include <QWidget>

#include "app/settings.h"
#include "gui/dialogs/preferences_sheet.h"

class QComboBox;
class QLabel;
class QSpinBox;

namespace zema {

// The "一般" page: track count of a new document, editor font, menu style,
// default timebase, redraw rate and translucent drawing.
class CConfigPageGeneral final : public QWidget {
    Q_OBJECT
public:
    CConfigPageGeneral(const Settings& settings, PreferencesChooseFont chooseFont, QWidget* parent = nullptr);

    // Writes the page's values into `settings`.
    void apply(Settings& settings) const;

private:
    void chooseFont();
    void showFont();

    PreferencesChooseFont chooseFont_;
    std::u16string fontFace_;
    uint32_t fontSize_ = 10;
    QSpinBox* trackCount_ = nullptr;
    QLabel* font_ = nullptr;
    QComboBox* windowStyle_ = nullptr;
    QComboBox* timebase_ = nullptr;
    QComboBox* frameRate_ = nullptr;
    QComboBox* translucent_ = nullptr;
};

}  // namespace zema
