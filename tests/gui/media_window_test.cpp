// MIDI files in and out of the window and the WAVE export, through their
// dialogs with scripted answers.
#include <sys/resource.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cerrno>
#include <csignal>

#include "app/command_table.h"
#include "core/strings.h"
#include "document/read_status.h"
#include "document/smf_reader.h"
#include "gui/main_window_fixture.h"
#include "gui/qt_text.h"

namespace zema {
namespace {

QString corpusMidi(const char* name)
{
    return QString::fromStdString((std::filesystem::path(ZEMA_CORPUS_DIR) / "midi" / name).string());
}

uint32_t little32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

// The RIFF/WAVE layout with an 18-byte format block; the data size, or -1 when the file is not valid.
int64_t waveDataBytes(const std::string& file, uint32_t rate, uint16_t channels)
{
    if (file.size() < 46 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 8, "WAVEfmt ") != 0) return -1;
    if (little32(file, 4) != file.size() - 8 || little32(file, 16) != 18) return -1;
    if (static_cast<uint8_t>(file[20]) != 1 || static_cast<uint8_t>(file[22]) != channels) return -1;
    if (little32(file, 24) != rate || file.compare(38, 4, "data") != 0) return -1;
    const uint32_t data = little32(file, 42);
    return data == file.size() - 46 ? static_cast<int64_t>(data) : -1;
}

// Note-ons per track chunk of a MIDI file.
std::vector<int> notesPerChunk(const std::string& bytes)
{
    std::vector<int> counts;
    const auto file = readSmfFile(bytes);
    if (!file) return counts;
    for (std::string_view chunk : file->tracks) {
        SmfTrackCursor cursor(chunk);
        SmfRawEvent event;
        int notes = 0;
        while (cursor.next(event)) notes += event.command() == 0x90 && event.data2 > 0 ? 1 : 0;
        counts.push_back(notes);
    }
    return counts;
}

void clickOk(QDialog& dialog) { dialog.findChild<QPushButton*>(QStringLiteral("IDOK"))->click(); }

void chooseProfile(CMMLSmfImportDlg& dialog, SmfImportProfile profile)
{
    const int index = static_cast<int>(profile);
    dialog.profiles().setCurrentIndex(index);
    Q_EMIT dialog.profiles().activated(index);
}

// The window with an edited first track, answering the modified prompt with
// No (discard), and `midiFile` of the corpus chosen in the open dialog.
class MediaWindowTest : public MainWindowTest {
protected:
    CMainWindow& editedWindowImporting(const char* midiFile)
    {
        auto& w = makeWindow();
        type(0, "cde");
        answers = {QMessageBox::No};
        openPath = corpusMidi(midiFile);
        return w;
    }
};

TEST_F(MediaWindowTest, AMidiFileBecomesANewUntitledDocumentThroughTheDialog)
{
    auto& w = editedWindowImporting("test-2-tracks-type-1.mid");
    QStringList listed;
    QString information;
    onSmfImport = [&](CMMLSmfImportDlg& dialog) {
        for (int i = 0; i < dialog.trackList().count(); ++i) listed << dialog.trackList().item(i)->text();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("標準MIDIファイルの入力"));
        EXPECT_EQ(dialog.profiles().currentText(), QStringLiteral("カスタム"));
        chooseProfile(dialog, SmfImportProfile::MabinogiNormal);
        EXPECT_FALSE(dialog.optionBox(SmfOption::Velocity).isChecked());
        EXPECT_FALSE(dialog.optionBox(SmfOption::SpreadControl).isEnabled());
        dialog.quantize().setCurrentIndex(2);
        Q_EMIT dialog.quantize().activated(2);
        information = dialog.information().text();
        clickOk(dialog);
        return dialog.result() == QDialog::Accepted;
    };
    w.runCommand(command::kImportSmf);

    EXPECT_EQ(listed, (QStringList{QStringLiteral(" 1 : A01 Standard MIDI file type 1"), QStringLiteral(" 2 : A02 ")}));
    EXPECT_EQ(information, QStringLiteral("分解能 : 96 TPQN\nクオンタイズ単位 : 24 tick"));
    ASSERT_EQ(messages.size(), 1u);  // the modified prompt only
    EXPECT_TRUE(w.documentPath().isEmpty());
    EXPECT_TRUE(w.isModified());
    EXPECT_EQ(w.song().title, u"Standard MIDI file type 1");
    EXPECT_EQ(w.song().source, u"https://jazz-soft.net");
    ASSERT_EQ(w.tabBar().count(), 2);
    EXPECT_EQ(w.tabBar().tabText(1), QStringLiteral("Track2"));
    for (const auto& [slot, line] : {std::pair{0, u"/*M 0  */  R4C4D4E4"}, std::pair{0, u"/*M 2  */  >C4"},
                                     std::pair{1, u"/*M 1  */  F+4G+4A+4>C4"}}) {
        EXPECT_NE(w.song().tracks[static_cast<size_t>(slot)].text.find(line), std::u16string::npos) << slot;
    }
    // The choices are kept for the next import.
    EXPECT_FALSE(w.settings().smfReduceRest);
    EXPECT_EQ(w.settings().smfQuantizeValue, 16);
    // Save asks where, proposing the MIDI file's name as a document.
    w.runCommand(command::kFileSave);
    ASSERT_EQ(saveProposals.size(), 1u);
    EXPECT_TRUE(saveProposals[0].endsWith(QStringLiteral("/test-2-tracks-type-1.mml"))) << saveProposals[0].toStdString();
}

TEST_F(MediaWindowTest, TheImportDialogRefusesWhatCannotBeConverted)
{
    auto& w = editedWindowImporting("test-2-tracks-type-0.mid");
    QStringList listed;
    onSmfImport = [&](CMMLSmfImportDlg& dialog) {
        for (int i = 0; i < dialog.trackList().count(); ++i) listed << dialog.trackList().item(i)->text();
        dialog.clearButton().click();
        EXPECT_EQ(dialog.trackList().item(0)->checkState(), Qt::Unchecked);
        clickOk(dialog);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        // Spreading takes one track only.
        dialog.optionBox(SmfOption::Spread).click();
        EXPECT_TRUE(dialog.optionBox(SmfOption::SpreadControl).isEnabled());
        dialog.trackList().item(0)->setSelected(true);
        dialog.trackList().item(1)->setSelected(true);
        EXPECT_EQ(dialog.trackList().item(1)->checkState(), Qt::Checked);
        clickOk(dialog);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        dialog.reject();
        return false;
    };
    w.runCommand(command::kImportSmf);
    EXPECT_EQ(listed, (QStringList{QStringLiteral(" 1 : A01"), QStringLiteral(" 2 : A02")}));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1], (Message{QMessageBox::Warning, "トラックが選択されていません。"}));
    EXPECT_EQ(messages[2].text, "1MIDIトラック→複数MMLトラック変換では\nトラックを１つだけ選択してください。");
    // Cancelled: the document and the stored choices stay.
    EXPECT_EQ(w.song().tracks[0].text, u"cde");
    EXPECT_FALSE(w.settings().smfSpreadTrack);
}

TEST_F(MediaWindowTest, AFileThatIsNoMidiFileIsRefusedBeforeTheDialog)
{
    struct Row {
        const char* file;
        ReadStatus reason;
    };
    const Row rows[] = {
        {"test-not-a-midi-file.mid", ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotMidiFile)},
        {"test-empty-file.mid", ReadStatus::of(ReadStatusKind::Empty)},
        {"no-such-file.mid", ReadStatus::unreadable(ENOENT)},
    };
    for (const Row& row : rows) {
        messages.clear();
        auto& w = editedWindowImporting(row.file);
        bool shown = false;
        onSmfImport = [&](CMMLSmfImportDlg&) { return shown = true; };
        w.runCommand(command::kImportSmf);
        SCOPED_TRACE(row.file);
        EXPECT_FALSE(shown);
        EXPECT_EQ(messages, (Messages{{QMessageBox::Critical,  // no modified prompt either
                                       "標準MIDIファイルの解析に失敗しました。\n" + qt(readStatusText(row.reason))}}));
        EXPECT_EQ(w.song().tracks[0].text, u"cde");
    }
}

TEST_F(MediaWindowTest, ATrackCutShortIsSaidBeforeTheDialogListsWhatWasRead)
{
    const std::string whole = test::readBytes(corpusMidi("test-2-tracks-type-1.mid").toStdString());
    ASSERT_GT(whole.size(), 40u);
    auto& w = editedWindowImporting("test-2-tracks-type-1.mid");
    openPath = writeDocument("cut.mid", whole.substr(0, whole.size() - 2));
    answers = {QMessageBox::Ok, QMessageBox::No};  // the warning, then discard the edit
    size_t messagesBeforeDialog = 0;
    onSmfImport = [&](CMMLSmfImportDlg& dialog) {
        messagesBeforeDialog = messages.size();
        EXPECT_EQ(dialog.trackList().count(), 2);
        return false;
    };
    w.runCommand(command::kImportSmf);
    ASSERT_GE(messagesBeforeDialog, 1u);
    EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
    const QStringList lines = messages[0].text.split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], qt(loadString("IDS_READ_PARTIAL")));
    EXPECT_EQ(lines[1], qt(readStatusText(ReadStatus::of(ReadStatusKind::TruncatedTrack, ReadDetail::TrackCut, 2))));
}

TEST_F(MediaWindowTest, SelectedTracksWithNothingToConvertKeepTheCurrentDocument)
{
    auto& w = editedWindowImporting("test-karaoke-kar.mid");
    onSmfImport = [](CMMLSmfImportDlg& dialog) {
        // Only the lyrics, with comments off.
        EXPECT_EQ(dialog.trackList().item(1)->text(), QStringLiteral(" 2 : --- Lyrics"));
        dialog.clearButton().click();
        dialog.trackList().item(1)->setSelected(true);
        EXPECT_FALSE(dialog.optionBox(SmfOption::Comment).isChecked());
        clickOk(dialog);
        return dialog.result() == QDialog::Accepted;
    };
    w.runCommand(command::kImportSmf);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], (Message{QMessageBox::Warning, "選択したトラックには変換できるイベントがありません。"}));
    EXPECT_EQ(w.song().tracks[0].text, u"cde");
}

TEST_F(MediaWindowTest, MidiExportWritesTheFormatOfTheChosenFilterEntry)
{
    auto& w = makeWindow();
    type(0, "t120 cde");
    type(1, "c");
    const QString target = pathIn("song.mid");
    struct Row {
        int filter;
        int32_t format;
        std::vector<int> notes;
    };
    // The new document's third track is empty.
    for (const Row& row : {Row{0, 1, {3, 1, 0}}, Row{1, 0, {4}}, Row{2, 1, {3, 1, 0}}}) {
        exportChoice = ChosenFile{target, row.filter};
        w.runCommand(command::kExportSmf);
        const std::string bytes = test::readBytes(pathOf(target));
        const auto header = readSmfHeader(bytes);
        ASSERT_TRUE(header.has_value()) << row.filter;
        EXPECT_EQ(header->format, row.format) << row.filter;
        EXPECT_EQ(notesPerChunk(bytes), row.notes) << row.filter;
    }
    EXPECT_TRUE(messages.empty());
    ASSERT_FALSE(exportPrompts.empty());
    EXPECT_EQ(exportPrompts[0], (ExportPrompt{"名前を付けて標準MIDIファイルをエクスポート", "名称未設定", "mid"}));

    // Cancelled: nothing written.
    exportChoice.reset();
    std::filesystem::remove(pathOf(target));
    w.runCommand(command::kExportSmf);
    EXPECT_FALSE(std::filesystem::exists(pathOf(target)));
}

TEST_F(MediaWindowTest, AFailedMidiExportLeavesTheOldFileAsItWas)
{
    auto& w = makeWindow();
    type(0, std::string(300, 'c').c_str());
    const auto target = folder.path() / "old.mid";
    test::writeBytes(target, "the old file");
    exportChoice = ChosenFile{pathIn("old.mid"), 0};
    // The disk takes no more than 64 bytes per file.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    w.runCommand(command::kExportSmf);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(messages, (Messages{{QMessageBox::Critical, "標準MIDIファイルが保存できませんでした。"}}));
    EXPECT_EQ(test::readBytes(target), "the old file");
    const auto entries = std::count_if(std::filesystem::directory_iterator(folder.path()), {}, [](const auto& entry) {
        return entry.path().extension() == ".mid" || entry.path().filename().string().starts_with(".old");
    });
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}

TEST_F(MediaWindowTest, WaveExportRendersTheSongIntoAValidRiffFile)
{
    Settings settings;
    settings.outputDls = 0;    // a MIDI port: the render uses the General MIDI set
    settings.samplingRate = 0;  // 8 kHz
    auto& w = makeWindow(settings);
    w.show();
    type(0, "t240 l8 cdefgab");
    const auto target = folder.path() / "song.wav";
    exportChoice = ChosenFile{pathIn("song.wav"), 0};
    int result = -1;
    QString buttonText;
    QString hiddenTitle;
    bool hiddenWhileRendering = false;
    onWaveExport = [&](CMMLWaveExportDlg& dialog) {
        buttonText = dialog.startButton().text();
        dialog.hideMainWindow().click();
        hiddenWhileRendering = !w.isVisible();
        hiddenTitle = dialog.windowTitle();
        QObject::connect(&dialog, &QDialog::finished, [&result](int code) { result = code; });
        while (result < 0) QTest::qWait(20);
    };
    w.runCommand(command::kExportWav);

    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(buttonText, QStringLiteral("中断"));
    EXPECT_TRUE(hiddenWhileRendering);
    EXPECT_EQ(hiddenTitle, QStringLiteral("ZEMA Waveファイルを出力中"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(messages, (Messages{{QMessageBox::Information, "WAVEファイルの出力が終了しました。"}}));
    EXPECT_EQ(exportPrompts,
              (std::vector<ExportPrompt>{{"名前を付けてWaveファイルをエクスポート", "名称未設定.wav", "wav"}}));
    // Seven eighths at tempo 240 and the tail: well over a second of audio.
    EXPECT_GT(waveDataBytes(test::readBytes(target), 8000, 2), 8000 * 4);
}

TEST_F(MediaWindowTest, WaveExportAbortAsksAndLeavesAValidFile)
{
    Settings settings;
    settings.outputDls = 2;
    settings.samplingRate = 0;
    settings.dlsChannel = 0;
    auto& w = makeWindow(settings);
    type(0, "t60 c1c1c1c1c1c1c1c1");
    const auto target = folder.path() / "aborted.wav";
    exportChoice = ChosenFile{pathIn("aborted.wav"), 0};
    answers = {QMessageBox::Yes};
    int result = -1;
    onWaveExport = [&](CMMLWaveExportDlg& dialog) {
        QObject::connect(&dialog, &QDialog::finished, [&result](int code) { result = code; });
        dialog.reject();
    };
    w.runCommand(command::kExportWav);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(messages, (Messages{{QMessageBox::Question, "出力を中断しますか？"}}));
    EXPECT_GE(waveDataBytes(test::readBytes(target), 8000, 1), 0);

    // A folder that takes no file: the message, and no render.
    messages.clear();
    exportChoice = ChosenFile{pathIn("missing/x.wav"), 0};
    bool shown = false;
    onWaveExport = [&](CMMLWaveExportDlg&) { shown = true; };
    w.runCommand(command::kExportWav);
    EXPECT_FALSE(shown);
    EXPECT_EQ(messages, (Messages{{QMessageBox::Critical, "WAVEファイルの出力に失敗しました。"}}));
}

}  // namespace
}  // namespace zema
