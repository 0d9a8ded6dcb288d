#include "app/autosave.h"

#include <array>
#include <cstdio>
#include <system_error>
#include <unordered_set>

#include "document/atomic_write.h"
#include "document/mml_file_writer.h"
#include "document/smf_file_io.h"
#include "document/song_document.h"

namespace zema {

namespace {

// mountinfo writes space, tab, newline and backslash in paths as "\ooo".
std::string decodeOctalEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const char a = text[i + 1];
            const char b = text[i + 2];
            const char c = text[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        if (pos >= line.size()) break;
        const size_t end = std::min(line.find(' ', pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

bool parseUnsigned(std::string_view text, unsigned& value)
{
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

bool fileSaysOne(const std::filesystem::path& path)
{
    const std::optional<std::string> text = readFileBytes(path);
    return text && !text->empty() && (*text)[0] == '1';
}

// A device folder in sysfs: removable itself, or (for a partition) its disk,
// or any device a mapped device is built on.
bool removableDevice(const std::filesystem::path& device, int depth)
{
    if (depth > 8) return false;
    std::error_code error;
    std::filesystem::path disk = device;
    if (std::filesystem::exists(device / "partition", error)) disk = device.parent_path();
    if (fileSaysOne(disk / "removable")) return true;

    const std::filesystem::path slaves = device / "slaves";
    if (!std::filesystem::is_directory(slaves, error)) return false;
    for (const auto& entry : std::filesystem::directory_iterator(slaves, error)) {
        const std::filesystem::path slave = std::filesystem::canonical(entry.path(), error);
        if (!error && removableDevice(slave, depth + 1)) return true;
    }
    return false;
}

}  // namespace

std::string autosaveFileName(const std::tm& loadTime)
{
    std::array<char, 96> name{};
    std::snprintf(name.data(), name.size(), "~%04d%02d%02d_%02d%02d%02d.mml", loadTime.tm_year + 1900,
                  loadTime.tm_mon + 1, loadTime.tm_mday, loadTime.tm_hour, loadTime.tm_min, loadTime.tm_sec);
    return name.data();
}

std::string autosaveFileName(std::time_t loadTime)
{
    std::tm local{};
    ::localtime_r(&loadTime, &local);
    return autosaveFileName(local);
}

std::vector<MountEntry> parseMountInfo(std::string_view text)
{
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));

        // id parent major:minor root mount-point options [optional...] - type source super-options
        const std::vector<std::string_view> fields = splitFields(line);
        if (fields.size() < 7) continue;
        size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") ++dash;
        if (dash + 2 >= fields.size()) continue;
        const std::string_view device = fields[2];
        const size_t colon = device.find(':');
        MountEntry entry;
        if (colon == std::string_view::npos || !parseUnsigned(device.substr(0, colon), entry.major) ||
            !parseUnsigned(device.substr(colon + 1), entry.minor)) {
            continue;
        }
        entry.mountPoint = decodeOctalEscapes(fields[4]);
        entry.fsType = decodeOctalEscapes(fields[dash + 1]);
        entry.source = decodeOctalEscapes(fields[dash + 2]);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const std::filesystem::path& folder)
{
    const std::string path = folder.lexically_normal().string();
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : mounts) {
        const std::string& point = mount.mountPoint;
        if (point.empty() || point.front() != '/') continue;
        const bool holds = point == "/" || path == point ||
                           (path.size() > point.size() && path.compare(0, point.size(), point) == 0 &&
                            (path[point.size()] == '/' || point.back() == '/'));
        if (holds && (!best || point.size() >= best->mountPoint.size())) best = &mount;
    }
    return best;
}

bool isNetworkFileSystem(std::string_view fsType)
{
    static const std::unordered_set<std::string_view> kNetwork = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "ncp", "afs", "coda", "ceph", "glusterfs", "lustre",
        "davfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.smbnetfs", "fuse.curlftpfs", "fuse.gvfsd-fuse",
        "fuse.glusterfs", "fuse.ceph", "fuse.cephfs", "fuse.davfs2",
    };
    return kNetwork.count(fsType) != 0;
}

bool isOpticalFileSystem(std::string_view fsType)
{
    return fsType == "iso9660" || fsType == "udf";
}

bool isRemovableBlockDevice(const std::filesystem::path& sysRoot, unsigned major, unsigned minor)
{
    std::error_code error;
    const std::filesystem::path device = std::filesystem::canonical(
        sysRoot / "dev" / "block" / (std::to_string(major) + ":" + std::to_string(minor)), error);
    return !error && removableDevice(device, 0);
}

StorageKind storageKindOf(const std::filesystem::path& folder, std::string_view mountInfo,
                          const std::filesystem::path& sysRoot)
{
    const std::vector<MountEntry> mounts = parseMountInfo(mountInfo);
    const MountEntry* mount = mountHolding(mounts, folder);
    if (!mount) return StorageKind::Fixed;
    if (isNetworkFileSystem(mount->fsType)) return StorageKind::Network;
    if (isOpticalFileSystem(mount->fsType)) return StorageKind::Optical;

    if (mount->major != 0) {
        return isRemovableBlockDevice(sysRoot, mount->major, mount->minor) ? StorageKind::Removable
                                                                            : StorageKind::Fixed;
    }
    // An anonymous device number: find the block device by the source's name.
    if (mount->source.rfind("/dev/", 0) == 0) {
        const std::string name = std::filesystem::path(mount->source).filename().string();
        std::error_code error;
        const std::filesystem::path device = std::filesystem::canonical(sysRoot / "class" / "block" / name, error);
        if (!error && !name.empty() && removableDevice(device, 0)) return StorageKind::Removable;
    }
    return StorageKind::Fixed;
}

FixedStorageCheck systemFixedStorageCheck()
{
    return [](const std::filesystem::path& folder) {
        std::error_code error;
        std::filesystem::path resolved =
            std::filesystem::weakly_canonical(std::filesystem::absolute(folder, error), error);
        if (error) resolved = folder;
        const std::optional<std::string> mountInfo = readFileBytes("/proc/self/mountinfo");
        if (!mountInfo) return true;
        return storageKindOf(resolved, *mountInfo, "/sys") == StorageKind::Fixed;
    };
}

CAutosaver::~CAutosaver()
{
    waitForAll();
}

void CAutosaver::joinFinished()
{
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void CAutosaver::report(std::error_code result) const
{
    if (listener_) listener_(result);
}

void CAutosaver::start(std::function<std::error_code()> write)
{
    joinFinished();
    workers_.reserve(workers_.size() + 1);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    counter_.fetch_add(1);
    try {
        std::thread thread([this, write = std::move(write), finished] {
            std::error_code result;
            try {
                if (write) result = write();
            } catch (const std::system_error& error) {
                result = error.code();
            } catch (const std::bad_alloc&) {
                result = std::make_error_code(std::errc::not_enough_memory);
            } catch (const std::exception&) {
                result = std::make_error_code(std::errc::io_error);
            }
            report(result);
            counter_.fetch_sub(1);
            finished->store(true);
        });
        workers_.push_back(Worker{std::move(thread), std::move(finished)});
    } catch (const std::system_error& error) {
        // No thread could be started: this autosave is lost, and the user is told.
        counter_.fetch_sub(1);
        report(error.code());
    }
}

void CAutosaver::waitForAll()
{
    for (Worker& worker : workers_) {
        if (worker.thread.joinable()) worker.thread.join();
    }
    workers_.clear();
}

AutosaveOutcome autosaveIfNeeded(CAutosaver& autosaver, const AutosaveRequest& request,
                                 const AutosaveJobFactory& makeJob, const FixedStorageCheck& isFixed)
{
    if (!request.enabled) return AutosaveOutcome::SkippedDisabled;
    if (!request.modified) return AutosaveOutcome::SkippedUnmodified;
    if (autosaver.running() != 0) return AutosaveOutcome::SkippedBusy;
    if (isFixed && !isFixed(request.settingsFolder)) return AutosaveOutcome::SkippedNotFixed;

    const std::filesystem::path folder = request.settingsFolder / "autosave";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) return AutosaveOutcome::SkippedNoFolder;

    const std::filesystem::path file =
        folder / (request.fileName.empty() ? autosaveFileName(request.loadTime) : request.fileName);
    AutosaveJob job = makeJob ? makeJob() : AutosaveJob{};
    autosaver.start([job = std::move(job), file] { return job ? job(file) : std::error_code{}; });
    return AutosaveOutcome::Started;
}

AutosaveJob songAutosaveJob(const Song& song, AutosaveOrigin origin)
{
    auto snapshot = std::make_shared<DocumentData>(snapshotOf(song));
    return [snapshot, origin = std::move(origin)](const std::filesystem::path& file) {
        CMMLFileWriter writer(std::move(*snapshot), true);
        if (!writer.WriteToMemory()) return std::make_error_code(std::errc::illegal_byte_sequence);
        if (const std::error_code error = replaceFileAtomically(file, writer.buffer())) return error;
        return origin.runId.empty() ? std::error_code{} : writeAutosaveOrigin(file, origin);
    };
}

}  // namespace zema
