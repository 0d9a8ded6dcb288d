// The main window's Settings and Help menus: the user-interface language,
// the preferences sheet, and the about box.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "app/output_choice.h"
#include "app/preferences.h"
#include "app/settings_location.h"
#include "document/instrument_definitions.h"
#include "document/locale_id.h"
#include "editor/editor_frame.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/preferences_sheet.h"
#include "gui/key_mapping.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "playback/midi_port_out.h"
#include "views/midi_monitor_ctrl.h"
#include "views/piano_input_ctrl.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

namespace {
constexpr std::u16string_view kMainMenu = u"Main Window Menu";
}  // namespace

void applyQtTranslation(const CMultiLanguage& language)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    QString tag = language.isLoaded() ? qt(language.language()) : QStringLiteral("ja");
    tag = tag.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
    if (tag.isEmpty() || tag == QLatin1String("en")) return;  // Qt's own texts are English
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_") + tag, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        installed = std::move(translator);
    }
}

void CMainWindow::registerSettingsCommands()
{
    commands_.add(
        command::kLanguageBuiltIn, [this] { chooseLanguage(command::kLanguageBuiltIn); }, {},
        [this] { return !language_->isLoaded(); });
    commands_.addRange(
        command::kLanguageFirst, command::kLanguageLast, [this](int32_t id) { chooseLanguage(id); },
        [this](int32_t id) { return static_cast<size_t>(id - command::kLanguageFirst) < languageFiles_.size(); },
        [this](int32_t id) {
            const auto index = static_cast<size_t>(id - command::kLanguageFirst);
            return language_->isLoaded() && index < languageFiles_.size() &&
                   languageFiles_[index].path == language_->path();
        });
    // The sheet may reopen the output device: never while a song plays or a file is saved.
    commands_.add(
        command::kConfig, [this] { openPreferences(PreferencesPage::General); }, [this] { return !isBusy(); });
    commands_.add(command::kAbout, [this] { showAbout(); });
}

// ---- Language -----------------------------------------------------------------

void CMainWindow::rebuildLanguageMenu()
{
    // The built-in entry stays first; the files found are listed after it.
    for (QAction* entry : languageMenu_->actions()) {
        if (entry != action(command::kLanguageBuiltIn)) {
            languageMenu_->removeAction(entry);
            actions_.erase(entry->property("zemaCommand").toInt());
            entry->deleteLater();
        }
    }
    languageFiles_ = findLanguageFilesIn(languageFolders_);
    if (languageFiles_.size() > kMaxLanguageMenuFiles) languageFiles_.resize(kMaxLanguageMenuFiles);
    for (const LanguageMenuEntry& file : languageMenuEntries(languageFiles_, language_->path())) {
        auto* entry = new QAction(qt(file.text), this);
        entry->setObjectName(QStringLiteral("IDM_LANG_%1").arg(file.command - command::kLanguageFirst, 2, 10,
                                                               QLatin1Char('0')));
        entry->setProperty("zemaCommand", file.command);
        entry->setCheckable(true);
        entry->setToolTip(QString::fromStdU16String(file.path.u16string()));
        const int32_t id = file.command;
        connect(entry, &QAction::triggered, this, [this, id] { runCommand(id); });
        languageMenu_->addAction(entry);
        actions_[id] = entry;
    }
}

void CMainWindow::chooseLanguage(int32_t command)
{
    if (command == command::kLanguageBuiltIn) {
        language_->unloadLanguage();
    } else {
        const auto index = static_cast<size_t>(command - command::kLanguageFirst);
        if (index >= languageFiles_.size()) return;
        if (!language_->loadLanguage(languageFiles_[index].path)) {
            (void)ask(QMessageBox::Critical, stringQ("IDS_ERR_LANGUAGE_LOAD"), QMessageBox::Ok);
            return;
        }
    }
    applyQtTranslation(*language_);
    retranslate();
}

void CMainWindow::retranslate()
{
    translateWindow(this, u"Main Window");
    for (auto& [group, menu] : menus_) translateMenu(menu, kMainMenu);
    fillPianoTargets();
    fillGridChoices();
    monitor_->setWindowTitle(captionOfMenuText(windowTextQ(kMainMenu, "IDM_VIEW_MONITOR")));
    keyboard_->retranslate();
    retranslateSearch();
    refreshTitle();
    refreshCommandStates();
}

void CMainWindow::storeLanguageChoice()
{
    (void)saveLanguageFile(location_.iniPath(), languageFileSetting(language_->path(), languageFolders_));
}

// ---- Preferences --------------------------------------------------------------

void CMainWindow::openPreferences(PreferencesPage page)
{
    if (isBusy()) return;
    PreferencesInput input;
    input.values.settings = settings_;
    input.values.keys = keys_;
    input.menu = menuTreeOf(menuBar());
    for (const MidiPortInfo& port : midiOutputPorts()) input.midiPorts.push_back(QString::fromStdString(port.name).toStdU16String());
    input.synthAvailable = true;  // FluidSynth is part of the program
    input.location = location_;
    input.page = page;
    input.message = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                           QMessageBox::StandardButton defaultButton) {
        return ask(icon, text, buttons, defaultButton);
    };
    const std::optional<PreferencesValues> edited =
        prompts_.preferences ? prompts_.preferences(input) : runPreferencesSheet(this, input);
    if (!edited) return;
    const PreferencesChanges changes = diffPreferences(input.values, *edited);
    settings_ = edited->settings;
    if (changes.keysChanged) {
        keys_ = edited->keys;
        (void)keys_.save(location_.keyFilePath());
        applyShortcuts();
    }
    frame_->setEditorFont(qt(settings_.editorFontName), static_cast<int>(settings_.editorFontSize));
    displayTimer_.setInterval(1000 / std::max(1, settings_.statFrameRate));
    if (changes.reopenOutput) {
        reopenOutputDevice();
    } else {
        player_->setOutputSettings(outputSettingsOf(settings_));
    }
    if (changes.reloadPresets) reloadPresets();
    storeSettings();
}

void CMainWindow::reloadPresets()
{
    presets_.clear();
    // Without a file of the user's own, the shipped one names the game's instruments.
    const std::filesystem::path path = instrumentsFileToLoad(settings_.instrumentsFile, location_.folder, programFolder());
    if (path.empty()) return;
    const auto languageId = language_->lcid() != 0 ? static_cast<int32_t>(language_->lcid()) : systemLanguageId();
    const ReadStatus read = loadInstrumentPresets(path, languageId, presets_);
    // The lists fall back to the General MIDI programs; say why, not silently.
    if (!read) (void)ask(QMessageBox::Warning, stringWithReadReason("IDS_ERR_INSTRUMENTS", read), QMessageBox::Ok);
}

void CMainWindow::showNotice(const QString& text)
{
    if (text.isEmpty()) {
        if (notice_ != nullptr) notice_->hide();
        return;
    }
    if (notice_ == nullptr) {
        notice_ = new QWidget(this, Qt::Tool | Qt::FramelessWindowHint);
        notice_->setObjectName(QStringLiteral("IDD_NOTIFY"));
        auto* layout = new QVBoxLayout(notice_);
        layout->setContentsMargins(24, 16, 24, 16);
        auto* label = new QLabel(notice_);
        label->setObjectName(QStringLiteral("IDC_TXT_NOTIFY"));
        label->setFrameShape(QFrame::NoFrame);
        layout->addWidget(label);
        notice_->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    notice_->findChild<QLabel*>(QStringLiteral("IDC_TXT_NOTIFY"))->setText(text);
    notice_->adjustSize();
    notice_->move(geometry().center() - notice_->rect().center());
    notice_->show();
    // Painted before the device work blocks the window thread.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---- About ----------------------------------------------------------------------

void CMainWindow::showAbout()
{
    CAboutDlg dialog(language_->translatedBy(), this);
    if (prompts_.about) prompts_.about(dialog);
    else dialog.exec();
}

}  // namespace zema
