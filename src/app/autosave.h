#pragma once

#include <atomic>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "app/recovery.h"
#include "core/song.h"

namespace zema {

// ---- File name ---------------------------------------------------------

// "~YYYYMMDD_HHMMSS.mml" from a document's load time stamp (broken-down
// local time), so every autosave of one document overwrites one file.
[[nodiscard]] std::string autosaveFileName(const std::tm& loadTime);
// The same from a time_t, converted to local time.
[[nodiscard]] std::string autosaveFileName(std::time_t loadTime);

// ---- Where the settings folder is stored ---------------------------------

// What kind of storage holds a folder. Autosave only writes to Fixed storage:
// a copy written to a stick that is pulled out, a disc or a network share is
// more likely to get lost or to stall the program than to help.
enum class StorageKind { Fixed, Removable, Network, Optical };

// One line of /proc/self/mountinfo, the fields this code needs.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string mountPoint;  // octal escapes ("\040") decoded
    std::string fsType;      // "ext4", "nfs4", "fuse.sshfs", ...
    std::string source;      // "/dev/sdb1", "server:/export", ...
};

// The entries of a mountinfo text, in file order; malformed lines are skipped.
[[nodiscard]] std::vector<MountEntry> parseMountInfo(std::string_view text);

// The mount that holds `folder` (an absolute path without symbolic links):
// the longest mount point that is a leading part of it, the later entry when
// two mounts share a point (the later one lies on top). Nothing when no
// entry matches.
[[nodiscard]] const MountEntry* mountHolding(const std::vector<MountEntry>& mounts,
                                             const std::filesystem::path& folder);

// Network and optical file systems by their type name.
[[nodiscard]] bool isNetworkFileSystem(std::string_view fsType);
[[nodiscard]] bool isOpticalFileSystem(std::string_view fsType);

// Whether the block device major:minor sits on a removable disk, read from a
// sysfs tree at `sysRoot`: <sysRoot>/dev/block/M:m leads to the device; a
// partition (it has a "partition" file) is replaced by its disk (the parent
// folder); the disk's "removable" file says 1 for removable media. Mapped
// devices (LUKS, LVM) are followed through their "slaves". A device sysfs
// does not know is not removable.
[[nodiscard]] bool isRemovableBlockDevice(const std::filesystem::path& sysRoot, unsigned major, unsigned minor);

// The storage kind of `folder` from a mountinfo text and a sysfs tree. File
// systems without a block device of their own (major 0, e.g. btrfs) are
// looked up by the name of their "/dev/..." source in <sysRoot>/class/block.
// Anything that cannot be decided counts as Fixed, so a machine with an
// unusual layout keeps its autosave.
[[nodiscard]] StorageKind storageKindOf(const std::filesystem::path& folder, std::string_view mountInfo,
                                        const std::filesystem::path& sysRoot);

// Decides whether a folder is on fixed storage; replaceable in tests.
using FixedStorageCheck = std::function<bool(const std::filesystem::path& folder)>;

// This machine: the folder (or its nearest existing parent) with symbolic
// links resolved, /proc/self/mountinfo and /sys.
[[nodiscard]] FixedStorageCheck systemFixedStorageCheck();

// ---- Writing in the background ------------------------------------------

// Runs autosave writes on worker threads and counts those still running.
// start() and waitForAll() belong to the window's thread; running() may be
// read from any thread. Destruction waits for every write, so an autosave in
// progress at exit is finished, not cut off.
class CAutosaver {
public:
    // Told the result of every write (no error: it succeeded), on the
    // worker's thread.
    using ResultListener = std::function<void(std::error_code)>;

    CAutosaver() = default;
    ~CAutosaver();
    CAutosaver(const CAutosaver&) = delete;
    CAutosaver& operator=(const CAutosaver&) = delete;

    // Set before the first start().
    void setResultListener(ResultListener listener) { listener_ = std::move(listener); }
    // Counts the write, then runs `write` on a new thread; the count drops
    // when it returns. Its error, or what it throws turned into one, goes to
    // the listener; a thread that cannot be started is reported the same way.
    void start(std::function<std::error_code()> write);
    // The number of writes still running.
    [[nodiscard]] int running() const { return counter_.load(); }
    // Blocks until every started write has finished.
    void waitForAll();

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    void joinFinished();
    void report(std::error_code result) const;

    std::atomic<int> counter_{0};
    std::vector<Worker> workers_;
    ResultListener listener_;
};

// ---- The autosave step before a command ---------------------------------

enum class AutosaveOutcome {
    Started,
    SkippedDisabled,      // the "AutoSave" setting is off
    SkippedUnmodified,    // the document has no unsaved changes
    SkippedBusy,          // an earlier autosave is still being written
    SkippedNotFixed,      // the settings folder is not on fixed storage
    SkippedNoFolder,      // the autosave folder could not be created
};

struct AutosaveRequest {
    bool enabled = true;  // the "AutoSave" setting
    bool modified = false;
    std::filesystem::path settingsFolder;
    std::tm loadTime{};  // the document's load time stamp, local time
    // The file name inside the autosave folder; empty: autosaveFileName(loadTime).
    std::string fileName;
};

// Writes one autosave file to the given path and says why it failed; runs on
// the worker thread and must own everything it touches.
using AutosaveJob = std::function<std::error_code(const std::filesystem::path& file)>;
// Takes the snapshot on the calling thread and returns the job that writes it.
using AutosaveJobFactory = std::function<AutosaveJob()>;

// The autosave that runs before a menu or accelerator command: skips when
// disabled, unmodified, while an earlier write runs, or off fixed storage;
// otherwise creates "<settings folder>/autosave", takes the snapshot with
// `makeJob` (here, on the caller's thread) and starts the write of
// "<settings folder>/autosave/<file name>". The snapshot is only taken when a
// write is started.
AutosaveOutcome autosaveIfNeeded(CAutosaver& autosaver, const AutosaveRequest& request,
                                 const AutosaveJobFactory& makeJob,
                                 const FixedStorageCheck& isFixed = systemFixedStorageCheck());

// The job for a song: copies it now into a writer snapshot and, on the worker,
// writes it with CMMLFileWriter in compact form, then, for a run with an id,
// the origin record beside it (see recovery.h).
[[nodiscard]] AutosaveJob songAutosaveJob(const Song& song, AutosaveOrigin origin = {});

}  // namespace zema
