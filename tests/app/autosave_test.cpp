// Autosaving, and recovering what a run that ended abnormally autosaved.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <thread>

#include "app/autosave.h"
#include "app/new_document.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app_test_support.h"
#include "core/mml_compiler.h"
#include "document/document_open.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::tm stamp(int year, int month, int day, int hour, int minute, int second)
{
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;
    return time;
}

TEST(AutosaveName, IsTheLoadTimeStampInLocalTime)
{
    EXPECT_EQ(autosaveFileName(stamp(2024, 3, 5, 7, 8, 9)), "~20240305_070809.mml");
    EXPECT_EQ(autosaveFileName(stamp(1999, 12, 31, 23, 59, 59)), "~19991231_235959.mml");
    std::tm local = stamp(2031, 1, 2, 3, 4, 5);
    const std::time_t seconds = std::mktime(&local);
    EXPECT_EQ(autosaveFileName(seconds), "~20310102_030405.mml");
}

// ---- Storage kind ----------------------------------------------------------

constexpr const char* kMountInfo =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 0:30 / /tmp rw shared:5 - tmpfs tmpfs rw\n"
    "40 22 8:17 / /media/user/MY\\040STICK rw,nosuid shared:20 master:3 - vfat /dev/sdb1 rw\n"
    "41 22 253:0 / /home/user/vault rw - ext4 /dev/mapper/vault rw\n"
    "42 22 0:50 / /mnt/nfs rw - nfs4 server:/export rw\n"
    "43 22 0:51 / /mnt/ssh rw - fuse.sshfs user@host:/ rw\n"
    "44 22 0:52 / /mnt/smb rw - cifs //server/share rw\n"
    "45 22 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
    "46 22 0:33 /@data /data rw - btrfs /dev/nvme0n1p2 rw\n"
    "47 22 0:34 / /media/btr rw - btrfs /dev/sdb2 rw\n"
    "48 22 8:99 / /mnt/unknown rw - ext4 /dev/sdg3 rw\n"
    "this line is not a mount\n"
    "49 42 8:1 / /mnt/nfs/over rw - ext4 /dev/sda1 rw\n"
    "50 22 8:17 / /tmp rw - vfat /dev/sdb1 rw\n";

// A sysfs tree: sda an internal disk, sdb a USB stick, nvme0n1 internal,
// dm-0 a mapped device on the stick.
class FakeSysfs {
public:
    FakeSysfs()
    {
        const auto& sys = folder_.path();
        makeDisk(sys / "devices/pci/block/sda", "0", {"sda1"});
        makeDisk(sys / "devices/usb/block/sdb", "1\n", {"sdb1", "sdb2"});
        makeDisk(sys / "devices/pci/block/nvme0n1", "0", {"nvme0n1p2"});
        makeDisk(sys / "devices/pci/block/sr0", "1", {});
        makeDisk(sys / "devices/virtual/block/dm-0", "0", {});
        std::filesystem::create_directories(sys / "devices/virtual/block/dm-0/slaves");
        std::filesystem::create_symlink("../../../../usb/block/sdb/sdb1",
                                        sys / "devices/virtual/block/dm-0/slaves/sdb1");
        std::filesystem::create_directories(sys / "dev/block");
        std::filesystem::create_directories(sys / "class/block");
        link("dev/block/8:1", "../../devices/pci/block/sda/sda1");
        link("dev/block/8:17", "../../devices/usb/block/sdb/sdb1");
        link("dev/block/253:0", "../../devices/virtual/block/dm-0");
        link("dev/block/11:0", "../../devices/pci/block/sr0");
        link("class/block/nvme0n1p2", "../../devices/pci/block/nvme0n1/nvme0n1p2");
        link("class/block/sdb2", "../../devices/usb/block/sdb/sdb2");
    }
    [[nodiscard]] const std::filesystem::path& root() const { return folder_.path(); }

private:
    static void makeDisk(const std::filesystem::path& disk, const std::string& removable,
                         const std::vector<std::string>& partitions)
    {
        std::filesystem::create_directories(disk);
        writeBytes(disk / "removable", removable);
        for (const std::string& partition : partitions) {
            std::filesystem::create_directories(disk / partition);
            writeBytes(disk / partition / "partition", "1\n");
        }
    }
    void link(const std::string& at, const std::string& target)
    {
        std::filesystem::create_symlink(target, folder_.path() / at);
    }

    TempFolder folder_;
};

TEST(AutosaveStorage, MountInfoLinesAreParsedAndTheInnermostMountHoldsAFolder)
{
    const std::vector<MountEntry> mounts = parseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 13u);  // the malformed line is skipped
    EXPECT_EQ(mounts[2].mountPoint, "/media/user/MY STICK");
    EXPECT_EQ(mounts[2].fsType, "vfat");  // after two optional fields
    EXPECT_EQ(mounts[2].source, "/dev/sdb1");
    EXPECT_EQ(mounts[3].major, 253u);
    EXPECT_EQ(mounts[3].minor, 0u);

    // Longest mount point on a component boundary; a later mount on the same point lies on top.
    EXPECT_EQ(mountHolding(mounts, "/media/user/MY STICKS/zema")->mountPoint, "/");
    EXPECT_EQ(mountHolding(mounts, "/mnt/nfs/over/x")->fsType, "ext4");
    EXPECT_EQ(mountHolding(mounts, "/mnt/nfs")->fsType, "nfs4");
    EXPECT_EQ(mountHolding(mounts, "/tmp/a")->fsType, "vfat");
    EXPECT_EQ(mountHolding(parseMountInfo(""), "/x"), nullptr);
}

TEST(AutosaveStorage, FolderKindFollowsFileSystemTypeAndRemovableDisk)
{
    FakeSysfs sys;
    auto kind = [&](const char* folder) { return storageKindOf(folder, kMountInfo, sys.root()); };
    EXPECT_EQ(kind("/home/user/.config/zema"), StorageKind::Fixed);
    EXPECT_EQ(kind("/media/user/MY STICK/zema"), StorageKind::Removable);
    EXPECT_EQ(kind("/home/user/vault/zema"), StorageKind::Removable);  // mapped onto the stick
    EXPECT_EQ(kind("/mnt/nfs/zema"), StorageKind::Network);
    EXPECT_EQ(kind("/mnt/nfs/over/zema"), StorageKind::Fixed);
    EXPECT_EQ(kind("/mnt/ssh/zema"), StorageKind::Network);
    EXPECT_EQ(kind("/mnt/smb"), StorageKind::Network);
    EXPECT_EQ(kind("/media/cd/zema"), StorageKind::Optical);
    EXPECT_EQ(kind("/data/zema"), StorageKind::Fixed);          // btrfs, by source name
    EXPECT_EQ(kind("/media/btr/zema"), StorageKind::Removable);  // btrfs on the stick
    EXPECT_EQ(kind("/mnt/unknown/zema"), StorageKind::Fixed);   // device sysfs does not know
    EXPECT_EQ(storageKindOf("/anything", "", sys.root()), StorageKind::Fixed);

    EXPECT_TRUE(isRemovableBlockDevice(sys.root(), 11, 0));
    EXPECT_FALSE(isRemovableBlockDevice(sys.root(), 8, 1));
    EXPECT_FALSE(isRemovableBlockDevice(sys.root() / "missing", 8, 17));
}

TEST(Autosaver, CountsRunningWritesAndWaitsForThem)
{
    std::atomic<bool> release{false};
    std::atomic<int> done{0};
    auto blockedWrite = [&] {
        while (!release.load()) std::this_thread::yield();
        done.fetch_add(1);
        return std::error_code{};
    };
    CAutosaver autosaver;
    autosaver.start(blockedWrite);
    autosaver.start([]() -> std::error_code { throw std::runtime_error("lost"); });
    EXPECT_GE(autosaver.running(), 1);
    release.store(true);
    autosaver.waitForAll();
    EXPECT_EQ(autosaver.running(), 0);
    EXPECT_EQ(done.load(), 1);

    // Destruction finishes a write still in flight.
    release.store(false);
    std::thread releaser;
    {
        CAutosaver scoped;
        scoped.start(blockedWrite);
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            release.store(true);
        });
    }
    EXPECT_EQ(done.load(), 2);
    releaser.join();
}

TEST(AutosaveIfNeeded, SkipsInOrderAndTakesTheSnapshotOnlyWhenWriting)
{
    TempFolder settings;
    CAutosaver autosaver;
    int snapshots = 0;
    std::thread::id snapshotThread;
    std::filesystem::path checkedFolder;
    bool fixed = true;
    auto run = [&](const AutosaveRequest& request, std::string bytes) {
        const AutosaveOutcome outcome = autosaveIfNeeded(
            autosaver, request,
            [&, bytes] {
                ++snapshots;
                snapshotThread = std::this_thread::get_id();
                return AutosaveJob([bytes](const std::filesystem::path& file) {
                    writeBytes(file, bytes);
                    return std::error_code{};
                });
            },
            [&](const std::filesystem::path& folder) {
                checkedFolder = folder;
                return fixed;
            });
        autosaver.waitForAll();
        return outcome;
    };
    const AutosaveRequest request{true, true, settings.path(), stamp(2024, 3, 5, 7, 8, 9), {}};
    EXPECT_EQ(run({false, true, settings.path(), {}, {}}, "x"), AutosaveOutcome::SkippedDisabled);
    EXPECT_EQ(run({true, false, settings.path(), {}, {}}, "x"), AutosaveOutcome::SkippedUnmodified);
    fixed = false;
    EXPECT_EQ(run(request, "x"), AutosaveOutcome::SkippedNotFixed);
    EXPECT_EQ(checkedFolder, settings.path());
    fixed = true;
    std::atomic<bool> release{false};
    autosaver.start([&] {
        while (!release.load()) std::this_thread::yield();
        return std::error_code{};
    });
    EXPECT_EQ(autosaveIfNeeded(autosaver, request, [] { return AutosaveJob(); }), AutosaveOutcome::SkippedBusy);
    release.store(true);
    autosaver.waitForAll();
    EXPECT_EQ(snapshots, 0);
    EXPECT_FALSE(std::filesystem::exists(settings / "autosave"));

    // Two autosaves of one document share a file; another load time starts a new one.
    ASSERT_EQ(run(request, "first"), AutosaveOutcome::Started);
    EXPECT_EQ(snapshotThread, std::this_thread::get_id());
    ASSERT_EQ(run(request, "second"), AutosaveOutcome::Started);
    EXPECT_EQ(readBytes(settings / "autosave/~20240305_070809.mml"), "second");
    ASSERT_EQ(run({true, true, settings.path(), stamp(2024, 3, 5, 7, 8, 10), {}}, "third"), AutosaveOutcome::Started);
    EXPECT_EQ(readBytes(settings / "autosave/~20240305_070810.mml"), "third");
    // A recovered document keeps the file it was recovered from.
    ASSERT_EQ(run({true, true, settings.path(), stamp(2024, 3, 5, 7, 8, 11), "~20200101_000000.mml"}, "fourth"),
              AutosaveOutcome::Started);
    EXPECT_EQ(readBytes(settings / "autosave/~20200101_000000.mml"), "fourth");

    // A file in the folder's place: nothing can be written.
    TempFolder blocked;
    writeBytes(blocked / "autosave", "");
    EXPECT_EQ(run({true, true, blocked.path(), {}, {}}, "x"), AutosaveOutcome::SkippedNoFolder);
    EXPECT_EQ(snapshots, 4);
}

TEST(AutosaveIfNeeded, WritesTheSongAsItWasWhenTheCommandArrived)
{
    TempFolder settings;
    Song song;
    resetToNewDocument(song, Settings{});
    song.title = u"AutosaveTitle";
    song.tracks[0].text = u"t150o5cdefgab";

    CAutosaver autosaver;
    const AutosaveRequest request{true, true, settings.path(), stamp(2024, 1, 2, 3, 4, 5), {}};
    ASSERT_EQ(autosaveIfNeeded(autosaver, request, [&] { return songAutosaveJob(song); },
                               [](const std::filesystem::path&) { return true; }),
              AutosaveOutcome::Started);
    // Editing goes on while the worker writes; the file keeps the snapshot.
    song.tracks[0].text = u"changed-after-the-snapshot";
    autosaver.waitForAll();

    const std::string bytes = readBytes(settings / "autosave/~20240102_030405.mml");
    EXPECT_NE(bytes.find("t150o5cdefgab"), std::string::npos);
    EXPECT_NE(bytes.find("AutosaveTitle"), std::string::npos);
    EXPECT_EQ(bytes.find("changed-after"), std::string::npos);
}

// ---- Recovery ----------------------------------------------------------------

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
