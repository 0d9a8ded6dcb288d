#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "app/app_test_support.h"
#include "app/autosave.h"
#include "app/new_document.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "core/mml_compiler.h"
#include "document/document_open.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

const TimingContext kDefaults{96, 4, 4};

std::string documentWith(std::initializer_list<std::u16string> texts)
{
    DocumentData document;
    int slot = 0;
    for (const std::u16string& text : texts) {
        document.slots[static_cast<size_t>(slot)].used = true;
        document.slots[static_cast<size_t>(slot)].text = text;
        ++slot;
    }
    CMMLFileWriter writer(document, true);
    EXPECT_TRUE(writer.WriteToMemory());
    return writer.buffer();
}

void setTime(const std::filesystem::path& file, int secondsFromNow)
{
    std::filesystem::last_write_time(file,
                                     std::filesystem::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow));
}

// A settings folder with the autosave folder in it.
struct FakeSettings {
    TempFolder root;
    std::filesystem::path autosave = root / "autosave";
    FakeSettings() { std::filesystem::create_directories(autosave); }

    // A marker file nobody holds: the run ended without removing it.
    void deadRun(const std::string& runId) const { writeBytes(root / ("ZEMA-" + runId + ".lock"), "pid=1\n"); }

    std::filesystem::path autosaveOf(const std::string& name, const std::string& bytes, const std::string& runId,
                                     const std::filesystem::path& document = {}) const
    {
        const auto file = autosave / name;
        writeBytes(file, bytes);
        if (!runId.empty()) {
            EXPECT_FALSE(writeAutosaveOrigin(file, AutosaveOrigin{runId, document}));
        }
        return file;
    }
};

std::vector<std::string> offeredNames(const std::vector<RecoveryCandidate>& candidates)
{
    std::vector<std::string> names;
    for (const RecoveryCandidate& candidate : candidates) names.push_back(candidate.autosaveFile.filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RunMarker, IsHeldWhileTheRunLivesAndRemovedAtItsEndUnlessKept)
{
    TempFolder folder;
    std::string runId;
    {
        const auto marker = CRunMarker::create(folder.path());
        ASSERT_TRUE(marker);
        runId = marker->runId();
        EXPECT_EQ(runId.rfind(std::to_string(::getpid()) + "-", 0), 0U);
        EXPECT_EQ(readBytes(marker->file()), "pid=" + std::to_string(::getpid()) + "\n");
        const auto markers = findRunMarkers(folder.path());
        ASSERT_EQ(markers.size(), 1U);
        EXPECT_EQ(markers[0].runId, runId);
        EXPECT_EQ(markers[0].pid, ::getpid());
        EXPECT_TRUE(markers[0].running);
    }
    EXPECT_TRUE(findRunMarkers(folder.path()).empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

    {
        const auto marker = CRunMarker::create(folder.path());
        ASSERT_TRUE(marker);
        marker->keepForRecovery();
    }
    const auto kept = findRunMarkers(folder.path());
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_FALSE(kept[0].running);

    EXPECT_FALSE(CRunMarker::create(folder / "missing/folder"));
}

TEST(AutosaveOriginRecord, KeepsAnyPathAndRefusesWhatIsNotARecord)
{
    TempFolder folder;
    const auto file = folder / "~20240101_000000.mml";
    const AutosaveOrigin origin{"42-1000", "/home/user/a\\b\nc=d\r.mml"};
    ASSERT_FALSE(writeAutosaveOrigin(file, origin));
    EXPECT_EQ(originFileOf(file), folder / "~20240101_000000.mml.origin");
    EXPECT_EQ(readAutosaveOrigin(file), origin);
    ASSERT_FALSE(writeAutosaveOrigin(file, AutosaveOrigin{"7-1", {}}));
    EXPECT_EQ(readAutosaveOrigin(file), (AutosaveOrigin{"7-1", {}}));

    for (const char* bad : {"", "Run=1-2\n", "[Autosave]\nDocument=/x.mml\n", "\x01\x02garbage"}) {
        writeBytes(originFileOf(file), bad);
        EXPECT_FALSE(readAutosaveOrigin(file)) << bad;
    }
    EXPECT_FALSE(readAutosaveOrigin(folder / "none.mml"));
}

TEST(FindRecoverable, OffersTheWorkOfEndedRunsThatIsNewerThanItsDocument)
{
    FakeSettings settings;
    settings.deadRun("100-1");
    const auto liveMarker = CRunMarker::create(settings.root.path());
    ASSERT_TRUE(liveMarker);
    const std::string bytes = documentWith({u"cde", u"t120l8 ef g"});

    const auto older = settings.root / "older.mml";  // saved before its autosave
    const auto newer = settings.root / "newer.mml";  // saved again after its autosave
    writeBytes(older, "x");
    writeBytes(newer, "x");
    setTime(older, -60);
    setTime(newer, +60);

    settings.autosaveOf("~20240101_000001.mml", bytes, "100-1");                             // untitled
    settings.autosaveOf("~20240101_000002.mml", bytes, "100-1", settings.root / "gone.mml");  // document deleted
    settings.autosaveOf("~20240101_000003.mml", bytes, "100-1", older);
    settings.autosaveOf("~20240101_000004.mml", bytes, "100-1", newer);                 // not offered
    settings.autosaveOf("~20240101_000005.mml", bytes, "");                             // no origin record
    settings.autosaveOf("~20240101_000006.mml", bytes, "200-2");                        // run ended normally
    settings.autosaveOf("~20240101_000007.mml", bytes, liveMarker->runId());            // its run still lives
    settings.autosaveOf("~20240101_000008.mml", "not a document at all", "100-1");      // offered, unreadable
    settings.autosaveOf("note.mml", bytes, "100-1");                                    // not an autosave name
    writeBytes(settings.autosave / "~20240101_000009.mml.origin", "[Autosave]\nRun=100-1\n");  // record alone

    const auto candidates = findRecoverable(settings.root.path(), kDefaults);
    EXPECT_EQ(offeredNames(candidates), (std::vector<std::string>{"~20240101_000001.mml", "~20240101_000002.mml",
                                                                  "~20240101_000003.mml", "~20240101_000008.mml"}));
    for (const RecoveryCandidate& candidate : candidates) {
        const bool damaged = candidate.autosaveFile.filename() == "~20240101_000008.mml";
        EXPECT_EQ(candidate.readable, !damaged);
        EXPECT_EQ(candidate.tracks, damaged ? 0 : 2);
        EXPECT_EQ(candidate.characters, damaged ? 0 : characterCount(u"cde") + characterCount(u"t120l8 ef g"));
        EXPECT_EQ(candidate.origin.runId, "100-1");
    }
    const auto named = std::find_if(candidates.begin(), candidates.end(), [](const RecoveryCandidate& c) {
        return c.autosaveFile.filename() == "~20240101_000003.mml";
    });
    ASSERT_NE(named, candidates.end());
    EXPECT_EQ(recoveryDocumentName(*named), u"older.mml");
    EXPECT_EQ(named->origin.document, older);
}

TEST(FindRecoverable, DiscardAdoptAndSettledMarkers)
{
    FakeSettings settings;
    settings.deadRun("100-1");
    settings.deadRun("300-3");  // nothing of its own left: settled
    const std::string bytes = documentWith({u"abc"});
    settings.autosaveOf("~20240101_000001.mml", bytes, "100-1");
    settings.autosaveOf("~20240101_000002.mml", bytes, "100-1");

    EXPECT_EQ(removeSettledMarkers(settings.root.path()), 1);
    ASSERT_EQ(findRunMarkers(settings.root.path()).size(), 1U);

    auto candidates = findRecoverable(settings.root.path(), kDefaults);
    ASSERT_EQ(candidates.size(), 2U);
    EXPECT_FALSE(discardRecoverable(candidates[0]));
    EXPECT_FALSE(std::filesystem::exists(candidates[0].autosaveFile));
    EXPECT_FALSE(std::filesystem::exists(originFileOf(candidates[0].autosaveFile)));
    EXPECT_EQ(removeSettledMarkers(settings.root.path()), 0);  // one is still offered

    // Adopted by a living run: no longer offered, and the old run is settled.
    const auto marker = CRunMarker::create(settings.root.path());
    ASSERT_TRUE(marker);
    EXPECT_FALSE(adoptRecoverable(candidates[1], marker->runId()));
    EXPECT_EQ(readAutosaveOrigin(candidates[1].autosaveFile)->runId, marker->runId());
    EXPECT_TRUE(findRecoverable(settings.root.path(), kDefaults).empty());
    EXPECT_EQ(removeSettledMarkers(settings.root.path()), 1);
    EXPECT_EQ(findRunMarkers(settings.root.path()).size(), 1U);  // the living one
    EXPECT_TRUE(std::filesystem::exists(candidates[1].autosaveFile));
}

// The whole way: a process marks its run, autosaves an edit and is killed
// with SIGKILL; the next start is offered that edit.
TEST(FindRecoverable, OffersTheEditOfAProcessKilledWithSigkill)
{
    TempFolder settings;
    TempFolder documents;
    const auto document = documents / "song.mml";
    writeBytes(document, documentWith({u"cde"}));
    setTime(document, -5);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        const auto marker = CRunMarker::create(settings.path());
        Song song;
        resetToNewDocument(song, Settings{});
        song.tracks[0].text = u"t150 cdefgab>c";
        song.tracks[1].text = u"o3 c1";
        CAutosaver autosaver;
        std::error_code result;
        autosaver.setResultListener([&result](std::error_code error) { result = error; });
        AutosaveRequest request{true, true, settings.path(), {}, "~20240601_101010.mml"};
        const bool started =
            marker && autosaveIfNeeded(autosaver, request,
                                       [&] { return songAutosaveJob(song, AutosaveOrigin{marker->runId(), document}); },
                                       [](const std::filesystem::path&) { return true; }) == AutosaveOutcome::Started;
        autosaver.waitForAll();
        const char answer = started && !result ? 'y' : 'n';
        (void)::write(ready[1], &answer, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(answer, 'y');

    // While it lives, its work is its own.
    ASSERT_EQ(findRunMarkers(settings.path()).size(), 1U);
    EXPECT_TRUE(findRunMarkers(settings.path())[0].running);
    EXPECT_TRUE(findRecoverable(settings.path(), kDefaults).empty());

    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const auto markers = findRunMarkers(settings.path());
    ASSERT_EQ(markers.size(), 1U);
    EXPECT_FALSE(markers[0].running);
    EXPECT_EQ(markers[0].pid, child);
    const auto candidates = findRecoverable(settings.path(), kDefaults);
    ASSERT_EQ(candidates.size(), 1U);
    EXPECT_EQ(candidates[0].origin.document, document);
    EXPECT_EQ(candidates[0].tracks, 3);  // the new document's default tracks
    EXPECT_EQ(candidates[0].characters, characterCount(u"t150 cdefgab>c") + characterCount(u"o3 c1"));

    DocumentData recovered;
    ASSERT_TRUE(openDocument(candidates[0].autosaveFile, kDefaults, recovered));
    EXPECT_EQ(recovered.slots[0].text.substr(0, 14), u"t150 cdefgab>c");
    EXPECT_EQ(readBytes(document), documentWith({u"cde"}));  // the document itself untouched
}

TEST(Autosaver, ReportsEveryResultToItsListener)
{
    TempFolder folder;
    std::mutex lock;
    std::vector<std::error_code> results;
    CAutosaver autosaver;
    autosaver.setResultListener([&](std::error_code result) {
        std::lock_guard<std::mutex> guard(lock);
        results.push_back(result);
    });
    Song song;
    resetToNewDocument(song, Settings{});
    const AutosaveJob job = songAutosaveJob(song, AutosaveOrigin{"1-1", {}});
    autosaver.start([&] { return job(folder / "ok.mml"); });
    autosaver.waitForAll();
    autosaver.start([&] { return job(folder / "no/such/folder/x.mml"); });
    autosaver.waitForAll();
    autosaver.start([]() -> std::error_code { throw std::system_error(std::make_error_code(std::errc::io_error)); });
    autosaver.waitForAll();

    ASSERT_EQ(results.size(), 3U);
    EXPECT_FALSE(results[0]);
    EXPECT_EQ(readAutosaveOrigin(folder / "ok.mml"), (AutosaveOrigin{"1-1", {}}));
    EXPECT_EQ(results[1], std::errc::no_such_file_or_directory);
    EXPECT_EQ(results[2], std::errc::io_error);
}

TEST(RecoverCommand, ListsAndDiscardsTheOfferedAutosaves)
{
    FakeSettings settings;
    settings.deadRun("100-1");
    const std::string bytes = documentWith({u"abc", u"de"});
    settings.autosaveOf("~20240101_000001.mml", bytes, "100-1", "/nowhere/so\xffng.mml");  // not UTF-8
    settings.autosaveOf("~20240101_000002.mml", bytes, "100-1");
    const std::string dir = " --config-dir '" + settings.root.path().string() + "'";

    const auto list = test::runCli("recover" + dir);
    ASSERT_EQ(list.status, 0) << list.out;
    const auto json = nlohmann::json::parse(list.out);
    ASSERT_EQ(json["recoverable"].size(), 2U);
    EXPECT_EQ(json["runs"][0]["running"], false);
    EXPECT_EQ(json["recoverable"][0]["tracks"], 2);
    EXPECT_EQ(json["recoverable"][0]["characters"], 5);

    EXPECT_EQ(test::runCli("recover --discard 3" + dir).status, 1);
    const auto discard = test::runCli("recover --discard 1" + dir);
    EXPECT_EQ(discard.status, 0) << discard.out;
    EXPECT_EQ(findRecoverable(settings.root.path(), kDefaults).size(), 1U);
    EXPECT_EQ(test::runCli("recover --discard-all" + dir).status, 0);
    EXPECT_TRUE(findRecoverable(settings.root.path(), kDefaults).empty());
    EXPECT_TRUE(findRunMarkers(settings.root.path()).empty());  // settled, so removed
}

}  // namespace
}  // namespace zema
