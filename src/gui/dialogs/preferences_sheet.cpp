#include "gui/dialogs/preferences_sheet.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/dialogs/config_page_dls.h"
#include "gui/dialogs/config_page_file.h"
#include "gui/dialogs/config_page_general.h"
#include "gui/dialogs/config_page_key.h"
#include "gui/dialogs/config_page_midi.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

namespace {

// The association of this program in the user's data folder.
std::optional<FileAssociation> userAssociation()
{
    const std::optional<std::filesystem::path> folder = defaultDataFolder(processEnvironment());
    if (!folder) return std::nullopt;
    FileAssociation association;
    association.dataFolder = *folder;
    association.programPath = pathOf(QCoreApplication::applicationFilePath());
    return association;
}

// Adds the command entries and pop-ups among `actions` to `node`.
void addMenuEntries(const QList<QAction*>& actions, MenuNode& node)
{
    for (const QAction* action : actions) {
        if (action->isSeparator()) continue;
        if (const QMenu* sub = action->menu()) {
            MenuNode popup{sub->title().toStdU16String(), 0, {}};
            addMenuEntries(sub->actions(), popup);
            node.children.push_back(std::move(popup));
            continue;
        }
        const QVariant command = action->property("zemaCommand");
        if (!command.isValid() || command.toInt() == 0) continue;
        node.children.push_back({action->text().toStdU16String(), command.toInt(), {}});
    }
}

}  // namespace

CPreferencesSheet::CPreferencesSheet(const PreferencesInput& input, QWidget* parent)
    : QDialog(parent), initial_(input.values)
{
    setObjectName(QStringLiteral("IDD_PREFERENCES"));
    setSizeGripEnabled(true);

    PreferencesMessage message = input.message;
    if (!message) {
        message = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton) {
            QMessageBox box(icon, stringQ("AFX_IDS_APP_TITLE"), text, buttons, this);
            if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
            return static_cast<QMessageBox::StandardButton>(box.exec());
        };
    }
    PreferencesOpenFile openFile = input.openFile;
    if (!openFile) {
        openFile = [this](const QString& title, const QString& filter, const QString& initialPath) {
            return QFileDialog::getOpenFileName(this, title, initialPath, filter);
        };
    }
    const Settings& settings = initial_.settings;

    tabs_ = new QTabWidget(this);
    general_ = new CConfigPageGeneral(settings, input.chooseFont);
    file_ = new CConfigPageFile(settings, input.association ? input.association : userAssociation(), message);
    midi_ = new CConfigPageMidi(settings, input.midiPorts, input.synthAvailable, input.location, openFile);
    dls_ = new CConfigPageDls(settings, openFile);
    key_ = new CConfigPageKey(input.menu, initial_.keys);
    tabs_->addTab(general_, stringQ("IDS_CFG_GEN_TITLE"));
    tabs_->addTab(file_, stringQ("IDS_CFG_FILE_TITLE"));
    tabs_->addTab(midi_, stringQ("IDS_CFG_MIDI_TITLE"));
    tabs_->addTab(dls_, stringQ("IDS_CFG_DLS_TITLE"));
    tabs_->addTab(key_, stringQ("IDS_CFG_KEY_TITLE"));
    tabs_->setCurrentIndex(static_cast<int>(input.page));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("IDCANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs_, 1);
    column->addWidget(buttons);

    // Only the sheet's own buttons: each page is translated by its own key.
    translateWindow(this, u"Preferences Sheet");
    setWindowTitle(stringQ("IDS_CFG_TITLE"));
    resize(sizeHint().expandedTo(QSize(560, 440)));
}

CPreferencesSheet::~CPreferencesSheet() = default;

PreferencesValues CPreferencesSheet::values() const
{
    PreferencesValues values = initial_;
    general_->apply(values.settings);
    file_->apply(values.settings);
    midi_->apply(values.settings);
    dls_->apply(values.settings);
    values.keys = key_->keys();
    return values;
}

std::optional<PreferencesValues> runPreferencesSheet(QWidget* parent, const PreferencesInput& input)
{
    CPreferencesSheet sheet(input, parent);
    if (sheet.exec() != QDialog::Accepted) return std::nullopt;
    return sheet.values();
}

MenuNode menuTreeOf(const QMenuBar* menuBar)
{
    MenuNode root;
    if (menuBar != nullptr) addMenuEntries(menuBar->actions(), root);
    return root;
}

}  // namespace zema
