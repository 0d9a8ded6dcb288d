#pragma once

#include <QDialog>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/file_association.h"
#include "app/key_page.h"
#include "app/preferences.h"
#include "app/settings_location.h"

class QMenuBar;
class QTabWidget;

namespace zema {

class CConfigPageGeneral;
class CConfigPageFile;
class CConfigPageMidi;
class CConfigPageDls;
class CConfigPageKey;

// Shows a message; returns the button pressed (the main window's message prompt).
using PreferencesMessage = std::function<QMessageBox::StandardButton(
    QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)>;
// An open-file dialog: the chosen path, or empty when cancelled.
using PreferencesOpenFile =
    std::function<QString(const QString& title, const QString& filter, const QString& initialPath)>;
// A font dialog: the chosen font, or nothing when cancelled.
using PreferencesChooseFont = std::function<std::optional<QFont>(const QFont& current)>;

// Everything the sheet needs from the main window.
struct PreferencesInput {
    PreferencesValues values;               // what the sheet starts from
    MenuNode menu;                          // the main window's menu bar, for the key page
    std::vector<std::u16string> midiPorts;  // MIDI output port names, in PORTA order
    bool synthAvailable = true;             // the software synthesizer can be created
    SettingsLocation location;              // relative instrument files are found here
    // Where the ".mml" association is written; nothing: the user's XDG data
    // folder, opening this program.
    std::optional<FileAssociation> association;
    PreferencesPage page = PreferencesPage::General;  // the page shown first
    // Prompts; an empty one shows the standard Qt dialog.
    PreferencesMessage message;
    PreferencesOpenFile openFile;
    PreferencesChooseFont chooseFont;
};

// The preferences sheet "環境設定": five pages over the settings and the key
// table. OK takes over every page's values; Cancel leaves them.
class CPreferencesSheet final : public QDialog {
    Q_OBJECT
public:
    CPreferencesSheet(const PreferencesInput& input, QWidget* parent = nullptr);
    ~CPreferencesSheet() override;

    // The values as the pages hold them now.
    [[nodiscard]] PreferencesValues values() const;

    [[nodiscard]] QTabWidget& tabs() const { return *tabs_; }
    [[nodiscard]] CConfigPageKey& keyPage() const { return *key_; }

private:
    PreferencesValues initial_;
    QTabWidget* tabs_ = nullptr;
    CConfigPageGeneral* general_ = nullptr;
    CConfigPageFile* file_ = nullptr;
    CConfigPageMidi* midi_ = nullptr;
    CConfigPageDls* dls_ = nullptr;
    CConfigPageKey* key_ = nullptr;
};

// Runs the sheet modally: the edited values on OK, nothing on Cancel.
[[nodiscard]] std::optional<PreferencesValues> runPreferencesSheet(QWidget* parent, const PreferencesInput& input);

// The menu bar as the key page lists it: every pop-up menu with its actions.
// An action's command is its "zemaCommand" property; separators and actions
// without one are left out.
[[nodiscard]] MenuNode menuTreeOf(const QMenuBar* menuBar);

}  // namespace zema
