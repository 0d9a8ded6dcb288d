// The main window's other media: a Standard MIDI File imported through its
// dialog into a new document, the song exported as a Standard MIDI File, and
// the WAVE export dialog.
#include <QFileInfo>
#include <cerrno>
#include <new>

#include "app/media_export.h"
#include "app/smf_import_choices.h"
#include "document/smf_export.h"
#include "document/smf_file_io.h"
#include "document/smf_import.h"
#include "gui/background_work.h"
#include "gui/dialogs/smf_import_dialog.h"
#include "gui/dialogs/wave_export_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "playback/player_controller.h"

namespace zema {

namespace {

constexpr std::u16string_view kSmfImportKey = u"SMF Import";

// A MIDI file as the import dialog needs it: the bytes, kept for the
// conversion, and the track list (nothing when the header is unusable).
struct ScannedSmf {
    std::shared_ptr<const std::string> bytes;
    std::optional<SmfTrackList> tracks;
    ReadStatus read;  // why there are no tracks, or what was cut short
};

}  // namespace

void CMainWindow::registerMediaCommands()
{
    commands_.add(command::kImportSmf, [this] { importSmfFile(); });
    commands_.add(command::kExportSmf, [this] { exportSmfFile(); });
    commands_.add(command::kExportWav, [this] { exportWaveFile(); });
}

void CMainWindow::importSmfFile()
{
    const QString path = prompts_.openFile(stringQ("IDS_MAIN_OPEN_SMF_TITLE"),
                                           qtFilter(stringQ("IDS_MAIN_OPEN_SMF_FILTER")),
                                           QFileInfo(documentPath_).absolutePath());
    if (path.isEmpty()) return;
    const QString title = stringQ("IDS_SMF_IM_TITLE");
    const QString cancel = windowTextQ(kSmfImportKey, "IDCANCEL");
    std::optional<ScannedSmf> scanned =
        background_->run<ScannedSmf>(this, title, stringQ("IDS_SMF_IM_READING"), cancel, [file = pathOf(path)] {
            ScannedSmf scan;
            try {
                int systemError = 0;
                if (auto bytes = readFileBytes(file, systemError)) {
                    scan.bytes = std::make_shared<const std::string>(std::move(*bytes));
                    scan.tracks = scanSmfTracks(*scan.bytes, &scan.read);
                } else {
                    scan.read = ReadStatus::unreadable(systemError);
                }
            } catch (const std::bad_alloc&) {
                scan.tracks.reset();  // too large to hold: reported as unreadable
                scan.read = ReadStatus::unreadable(ENOMEM);
            }
            return scan;
        });
    if (!scanned) return;
    if (!scanned->tracks) {
        (void)ask(QMessageBox::Critical, stringWithReadReason("IDS_ERR_SMFPARSE", scanned->read), QMessageBox::Ok);
        return;
    }
    // A track cut short is said before the choice of tracks, which lists what was read.
    if (scanned->read.lossy()) {
        (void)ask(QMessageBox::Warning, stringWithReadReason("IDS_READ_PARTIAL", scanned->read), QMessageBox::Ok);
    }
    if (!confirmDiscard()) return;

    CMMLSmfImportDlg dialog(
        path, SmfImportChoices(std::move(*scanned->tracks), smfImportOptionsOf(settings_)),
        [this](const QString& text) { (void)ask(QMessageBox::Warning, text, QMessageBox::Ok); }, this);
    const bool confirmed = prompts_.smfImport ? prompts_.smfImport(dialog) : dialog.exec() == QDialog::Accepted;
    if (!confirmed) return;
    const SmfImportChoices& choices = dialog.choices();
    storeSmfImportOptions(choices.options(), settings_);

    std::optional<SmfImportResult> result = background_->run<SmfImportResult>(
        this, title, stringQ("IDS_SMF_IM_CONVERTING"), cancel,
        [bytes = scanned->bytes, options = choices.options(), selection = choices.selection()] {
            return convertSmf(*bytes, options, selection);
        });
    if (!result) return;
    if (result->status != SmfImportStatus::Ok) {
        (void)ask(QMessageBox::Critical, stringQ("IDS_ERR_SMFIMPORT"), QMessageBox::Ok);
        return;
    }
    // Chosen tracks beyond the sixteenth, or without notes, give nothing: the
    // current document stays rather than being replaced by an empty one.
    if (result->texts.empty()) {
        (void)ask(QMessageBox::Warning, stringQ("IDS_SMF_IM_NOTHING"), QMessageBox::Ok);
        return;
    }
    takeImportedDocument(importedDocument(*result, TimingContext{settings_.defaultTimeBase, 4, 4}));
    // Untitled, so Save asks where: a document of the same name beside the
    // MIDI file is only proposed, never overwritten unasked.
    suggestedPath_ = qt(importedDocumentPath(pathOf(path)).u16string());
}

void CMainWindow::exportSmfFile()
{
    recompilePending();
    const auto chosen = prompts_.exportFile(
        stringQ("IDS_MAIN_SAVE_SMF_TITLE"), qtFilter(stringQ("IDS_MAIN_SAVE_SMF_FILTER")),
        qt(proposedSmfExportName(documentPath_.toStdU16String(), song_.title)), QStringLiteral("mid"));
    if (!chosen || chosen->path.isEmpty()) return;
    const SmfExportRequest request = smfExportRequestOf(song_, smfFormatOfFilter(chosen->filterIndex));
    if (!exportSmf(pathOf(chosen->path), request)) {
        (void)ask(QMessageBox::Critical, stringQ("IDS_ERR_SMFEXPORT"), QMessageBox::Ok);
    }
}

void CMainWindow::exportWaveFile()
{
    if (player_->playing()) return;
    recompilePending();
    WaveExportInput input;
    input.song = std::make_shared<const Song>(song_);
    input.render = waveRenderOptionsOf(settings_);
    input.proposedPath = qt(proposedWaveExportName(documentPath_.toStdU16String(), song_.title));
    input.chooseFile = [this](const QString& title, const QString& filter, const QString& proposed) {
        const auto chosen = prompts_.exportFile(title, filter, proposed, QStringLiteral("wav"));
        return chosen ? chosen->path : QString();
    };
    input.message = prompts_.message;
    input.hideOwner = [this](bool hidden) { setVisible(!hidden); };
    CMMLWaveExportDlg dialog(std::move(input), this);
    if (!dialog.begin()) return;
    if (prompts_.waveExport) prompts_.waveExport(dialog);
    else dialog.exec();
}

}  // namespace zema
