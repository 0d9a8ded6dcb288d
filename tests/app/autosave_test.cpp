#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/autosave.h"
#include "app/new_document.h"
#include "app_test_support.h"

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

}  // namespace
}  // namespace zema
