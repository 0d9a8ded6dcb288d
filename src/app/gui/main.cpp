// zema: the MML editor window.
#include <QApplication>
#include <QCommandLineParser>
#include <system_error>

#include "app/accelerator.h"
#include "app/first_start.h"
#include "app/gui/main_window.h"
#include "app/settings.h"
#include "app/settings_location.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEMA"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption configDir(QStringLiteral("config-dir"), QStringLiteral("Settings folder"),
                                       QStringLiteral("DIR"));
    parser.addOption(configDir);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Document to open"));
    parser.process(app);

    std::optional<std::filesystem::path> given;
    if (parser.isSet(configDir)) given = std::filesystem::path(parser.value(configDir).toStdString());
    const zema::EnvironmentLookup environment = zema::processEnvironment();
    const zema::SettingsLocation location{zema::chooseSettingsFolder(given, zema::programFolder(), environment)};
    std::error_code error;
    std::filesystem::create_directories(location.folder, error);

    const bool firstStart = !std::filesystem::exists(location.iniPath(), error);
    zema::Settings settings = zema::loadSettings(location.iniPath());
    if (firstStart) zema::applyFirstStart(settings, zema::systemMachineProbe(environment));
    (void)zema::ensureKeyFile(location.keyFilePath());

    zema::CMainWindow window(location, settings);
    window.resize(1100, 720);
    if (firstStart) (void)zema::saveSettings(settings, location.iniPath());
    window.show();
    const int status = QApplication::exec();
    (void)zema::saveSettings(settings, location.iniPath());
    return status;
}
