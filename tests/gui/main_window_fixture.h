#pragma once

// The main window with scripted answers, shared by the window tests.

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/app_test_support.h"
#include "app/settings.h"
#include "editor/editor_frame.h"
#include "editor/qt_test_support.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/clip_export_dialog.h"
#include "gui/dialogs/clip_import_dialog.h"
#include "gui/dialogs/document_property_dialog.h"
#include "gui/dialogs/marker_dialog.h"
#include "gui/dialogs/recovery_dialog.h"
#include "gui/dialogs/track_group_dialog.h"
#include "gui/dialogs/smf_import_dialog.h"
#include "gui/dialogs/wave_export_dialog.h"
#include "gui/main_window.h"
#include "gui/scripted_messages.h"

namespace zema {

// A device that counts the note-ons reaching it; nothing else.
class CountingMidi final : public IMidi {
public:
    int Open(uint32_t) override { return 0; }
    int Close() override { return 0; }
    int ShortMsg(uint8_t status, uint8_t, uint8_t, uint8_t) override
    {
        if ((status & 0xF0) == 0x90) ++noteOns;
        return 0;
    }
    int LongMsg(const uint8_t*, uint32_t) override { return 0; }
    std::atomic<int> noteOns{0};
};

// The window with scripted answers: every message is recorded and answered
// from the queue (OK when it is empty), dialogs return the prepared paths.
class MainWindowTest : public ::testing::Test, protected test::ScriptedMessages {
protected:
    void SetUp() override { (void)test::qtApp(); }

    CMainWindow& makeWindow(Settings settings = {})
    {
        correctSettings(settings);
        WindowPrompts prompts;
        prompts.message = prompt();
        prompts.saveFile = [this](const QString&, const QString&, const QString& proposed) {
            saveProposals.push_back(proposed);
            return savePath;
        };
        prompts.openFile = [this](const QString&, const QString&, const QString&) { return openPath; };
        prompts.trackName = [this](const QString&) { return newName; };
        prompts.preferences = [this](const PreferencesInput& input) -> std::optional<PreferencesValues> {
            preferencePages.push_back(input.page);
            return editPreferences ? editPreferences(input.values) : std::nullopt;
        };
        prompts.clipboardExport = [this](CMMLClipExportDlg& dialog) {
            if (onExport) onExport(dialog);
        };
        prompts.clipboardImport = [this](CMMLClipImportDlg& dialog) -> std::optional<ClipImportChoice> {
            return onImport ? onImport(dialog) : std::nullopt;
        };
        prompts.trackProperties = [this](CMMLTrackGroupDlg& dialog) {
            if (onTrackProperties) onTrackProperties(dialog);
        };
        prompts.documentProperties = [this](CMMLPropatyDlg& dialog) {
            return onDocumentProperties ? onDocumentProperties(dialog) : int(QDialog::Rejected);
        };
        prompts.markerEdit = [this](CMMLMarkerDlg& dialog) {
            return onMarker ? onMarker(dialog) : int(QDialog::Rejected);
        };
        prompts.exportFile = [this](const QString& title, const QString&, const QString& proposed,
                                    const QString& suffix) {
            exportPrompts.push_back({title, proposed, suffix});
            return exportChoice;
        };
        prompts.smfImport = [this](CMMLSmfImportDlg& dialog) { return onSmfImport && onSmfImport(dialog); };
        prompts.waveExport = [this](CMMLWaveExportDlg& dialog) {
            if (onWaveExport) onWaveExport(dialog);
        };
        prompts.about = [this](CAboutDlg& dialog) {
            if (onAbout) onAbout(dialog);
        };
        prompts.recovery = [this](CMMLRecoveryDlg& dialog) {
            ++recoveryDialogs;
            if (onRecovery) onRecovery(dialog);
        };
        window = std::make_unique<CMainWindow>(SettingsLocation{folder.path()}, settings, std::move(prompts));
        return *window;
    }

    CMainWindow& makeWindowWithTracks(int count)
    {
        Settings settings;
        settings.defaultTrackCount = count;
        return makeWindow(settings);
    }

    // The window's output device cannot be opened.
    void failDevice()
    {
        window->player().setDeviceFactory([](const OutputSettings&, int& code) -> std::unique_ptr<IMidi> {
            code = 1;
            return nullptr;
        });
    }

    // The window's output opens a CountingMidi each time, recorded below.
    void countingDevice()
    {
        window->player().setSleeper([](int) {});
        window->player().setDeviceFactory([this](const OutputSettings& settings, int& code) -> std::unique_ptr<IMidi> {
            code = 0;
            opened.push_back(settings.kind);
            auto made = std::make_unique<CountingMidi>();
            device = made.get();
            return made;
        });
    }

    // `name` in the test's folder.
    QString pathIn(const std::string& name) const { return QString::fromStdString((folder.path() / name).string()); }

    CMMLEditor& editor(int slot) { return *window->editorFrame().editor(slot); }

    void type(int slot, const char* text)
    {
        window->tabBar().setCurrentIndex(tabOf(slot));
        QTest::keyClicks(&editor(slot), QString::fromUtf8(text));
        window->recompilePending();
    }

    int tabOf(int slot) const
    {
        const auto& order = window->song().trackOrder;
        return static_cast<int>(std::find(order.begin(), order.end(), slot) - order.begin());
    }

    QString writeDocument(const std::string& name, const std::string& bytes)
    {
        const auto path = folder.path() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return QString::fromStdString(path.string());
    }

    test::TempFolder folder;
    std::unique_ptr<CMainWindow> window;
    CountingMidi* device = nullptr;  // the last device opened by countingDevice(), and the kinds asked for
    std::vector<OutputKind> opened;
    QString savePath;
    std::vector<QString> saveProposals;  // what each Save As dialog was opened with
    QString openPath;
    std::optional<QString> newName;
    // The preferences sheet's answer (nothing: Cancel) and the pages it was opened on.
    std::function<std::optional<PreferencesValues>(PreferencesValues)> editPreferences;
    std::vector<PreferencesPage> preferencePages;
    // What the clipboard dialogs do once built (nothing: closed at once, cancelled).
    std::function<void(CMMLClipExportDlg&)> onExport;
    std::function<std::optional<ClipImportChoice>(CMMLClipImportDlg&)> onImport;
    // The property and marker dialogs (nothing: cancelled); the int ones return the dialog's result.
    std::function<void(CMMLTrackGroupDlg&)> onTrackProperties;
    std::function<int(CMMLPropatyDlg&)> onDocumentProperties;
    std::function<int(CMMLMarkerDlg&)> onMarker;
    // The exports' save dialogs: what they were asked, and the answer (nothing: cancelled).
    struct ExportPrompt {
        QString title;
        QString proposed;
        QString suffix;
        friend bool operator==(const ExportPrompt&, const ExportPrompt&) = default;
        friend void PrintTo(const ExportPrompt& p, std::ostream* os)
        {
            *os << p.title.toStdString() << " | " << p.proposed.toStdString() << " | " << p.suffix.toStdString();
        }
    };
    std::vector<ExportPrompt> exportPrompts;
    std::optional<ChosenFile> exportChoice;
    // What the MIDI import dialog does once built; true for OK (nothing: cancelled).
    std::function<bool(CMMLSmfImportDlg&)> onSmfImport;
    // What the WAVE export dialog does once its render runs (nothing: left alone).
    std::function<void(CMMLWaveExportDlg&)> onWaveExport;
    std::function<void(CAboutDlg&)> onAbout;
    // What the recovery dialog does once built (nothing: closed, all kept for later).
    std::function<void(CMMLRecoveryDlg&)> onRecovery;
    int recoveryDialogs = 0;
};

}  // namespace zema
