// zema: the MML editor window.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLocale>
#include <QTimer>
#include <cstring>
#include <system_error>

#include "app/about_box.h"
#include "app/accelerator.h"
#include "app/desktop_files.h"
#include "app/first_start.h"
#include "app/locale_id.h"
#include "app/multi_language.h"
#include "app/recovery.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/session_end.h"
#include "app/settings.h"
#include "app/settings_location.h"

namespace {

// Whether the command line only asks for the help or the version text, which
// needs no display.
bool asksForTextOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) return false;
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) return true;
        }
    }
    return false;
}

void nameTheApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("ZEMA"));
    QCoreApplication::setApplicationVersion(zema::qt(zema::programVersion()));
}

}  // namespace

int main(int argc, char** argv)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZEMA: the editor and player of Mabinogi MML scores."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configDir(QStringLiteral("config-dir"), QStringLiteral("Settings folder"),
                                       QStringLiteral("DIR"));
    parser.addOption(configDir);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Document to open (.mml or .mms)"),
                                 QStringLiteral("[file]"));
    if (asksForTextOnly(argc, argv)) {
        // Printed and ended by the parser without opening a display.
        QCoreApplication console(argc, argv);
        nameTheApplication();
        parser.process(console);
    }

    QApplication app(argc, argv);
    nameTheApplication();
    QGuiApplication::setDesktopFileName(zema::qt(zema::kApplicationId));
    parser.process(app);

    std::optional<std::filesystem::path> given;
    if (parser.isSet(configDir)) given = std::filesystem::path(parser.value(configDir).toStdU16String());
    const zema::EnvironmentLookup environment = zema::processEnvironment();
    const zema::SettingsLocation location{zema::chooseSettingsFolder(given, zema::programFolder(), environment)};
    std::error_code error;
    std::filesystem::create_directories(location.folder, error);
    QIcon icon;
    for (const std::filesystem::path& file : zema::applicationIconFiles(zema::programFolder())) {
        icon.addFile(zema::qt(file.u16string()));
    }
    if (icon.isNull()) icon = QIcon::fromTheme(zema::qt(zema::kApplicationId));
    QApplication::setWindowIcon(icon);

    const bool firstStart = !std::filesystem::exists(location.iniPath(), error);
    zema::Settings settings = zema::loadSettings(location.iniPath());
    if (firstStart) zema::applyFirstStart(settings, zema::systemMachineProbe(environment));
    (void)zema::ensureKeyFile(location.keyFilePath());

    // The user-interface language, chosen before any window exists.
    auto language = std::make_unique<zema::CMultiLanguage>();
    const QStringList uiLanguages = QLocale::system().uiLanguages();
    const uint32_t userLcid = uiLanguages.isEmpty() ? 0 : zema::lcidOfLocaleTag(uiLanguages.front().toStdString());
    (void)zema::chooseStartupLanguage(*language, zema::loadLanguageFile(location.iniPath()),
                                      zema::languageFolders(zema::programFolder(), location), userLcid);
    zema::applyQtTranslation(*language);

    // This run's marker: left behind by a crash, it lets the next start offer
    // this run's autosaves back. Removed when the program ends normally.
    const std::unique_ptr<zema::CRunMarker> runMarker = zema::CRunMarker::create(location.folder);

    zema::CMainWindow window(location, settings, {}, std::move(language));
    if (runMarker) window.setRunId(runMarker->runId());
    // A logout or kill ends the program as if it were closed, without asking:
    // the work goes to the autosave file and the settings are written. Work
    // that was never saved keeps the marker, so the next start offers it.
    // Watched before the first settings file appears, so a signal from then on counts.
    zema::SessionEndWatcher sessionEnd([&window, &runMarker] {
        if (window.endSession() && runMarker) runMarker->keepForRecovery();
        QApplication::exit(0);
    });
    if (firstStart) window.storeSettings();
    window.show();

    const QStringList files = parser.positionalArguments();
    const QString commandLinePath = files.isEmpty() ? QString() : files.front();
    QTimer::singleShot(0, &window, [&window, commandLinePath] { window.startUp(commandLinePath); });
    return QApplication::exec();
}
