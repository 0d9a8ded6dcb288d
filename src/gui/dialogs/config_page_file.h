#pragma once

#include <QWidget>
#include <optional>

#include "app/file_association.h"
#include "app/settings.h"
#include "gui/dialogs/preferences_sheet.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace zema {

// The "ファイル" page: compact writing, autosave, the ".mml" association
// (done at once by its buttons) and the timebase of files that carry none.
class CConfigPageFile final : public QWidget {
    Q_OBJECT
public:
    // Without an association target the buttons report failure.
    CConfigPageFile(const Settings& settings, std::optional<FileAssociation> association,
                    PreferencesMessage message, QWidget* parent = nullptr);

    void apply(Settings& settings) const;

private:
    void associate();
    void disassociate();
    void tell(AssociationResult result, bool removing);

    std::optional<FileAssociation> association_;
    PreferencesMessage message_;
    QCheckBox* compact_ = nullptr;
    QCheckBox* autoSave_ = nullptr;
    QRadioButton* defaultTimebase_ = nullptr;
    QRadioButton* specificTimebase_ = nullptr;
    QComboBox* timebase_ = nullptr;
};

}  // namespace zema
