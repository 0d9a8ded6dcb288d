#include "app/recovery.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <set>

#include "core/mml_compiler.h"
#include "core/unicode.h"
#include "document/atomic_write.h"
#include "document/document_open.h"
#include "document/smf_file_io.h"

namespace zema {

namespace {

constexpr std::string_view kMarkerPrefix = "ZEMA-";
constexpr std::string_view kMarkerSuffix = ".lock";
constexpr std::string_view kOriginSuffix = ".origin";
constexpr std::string_view kOriginHeader = "[Autosave]";

std::filesystem::path autosaveFolderOf(const std::filesystem::path& settingsFolder)
{
    return settingsFolder / "autosave";
}

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A path on one line: backslash, CR and LF escaped.
std::string escapeLine(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeLine(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

long pidOfRun(std::string_view runId)
{
    long pid = 0;
    for (const char c : runId) {
        if (c < '0' || c > '9') break;
        pid = pid * 10 + (c - '0');
        if (pid > 1'000'000'000) return 0;
    }
    return pid;
}

// Whether the process that made a marker still holds it. The lock answers
// for a dead process whose id was given to another; where the file system
// cannot lock, the process id is asked instead.
bool markerHeld(const std::filesystem::path& file, long pid)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const int locked = ::flock(fd, LOCK_SH | LOCK_NB);
    const int error = errno;
    ::close(fd);  // also drops the shared lock just taken
    if (locked == 0) return false;
    if (error == EWOULDBLOCK) return true;
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

struct FileTime {
    bool exists = false;
    struct timespec time {};
};

FileTime modificationTime(const std::filesystem::path& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    return FileTime{true, info.st_mtim};
}

bool notOlder(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec >= b.tv_nsec;
}

// The autosave files of ended runs that are still worth offering, without
// reading them.
std::vector<RecoveryCandidate> pendingAutosaves(const std::filesystem::path& settingsFolder)
{
    std::set<std::string> endedRuns;
    for (const RunMarkerInfo& marker : findRunMarkers(settingsFolder)) {
        if (!marker.running) endedRuns.insert(marker.runId);
    }
    std::vector<RecoveryCandidate> pending;
    if (endedRuns.empty()) return pending;

    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(autosaveFolderOf(settingsFolder), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 5 || name.front() != '~' || !endsWith(name, ".mml")) continue;
        const FileTime saved = modificationTime(entry.path());
        if (!saved.exists) continue;
        std::optional<AutosaveOrigin> origin = readAutosaveOrigin(entry.path());
        if (!origin || endedRuns.count(origin->runId) == 0) continue;
        if (!origin->document.empty()) {
            const FileTime document = modificationTime(origin->document);
            if (document.exists && !notOlder(saved.time, document.time)) continue;
        }
        RecoveryCandidate candidate;
        candidate.autosaveFile = entry.path();
        candidate.origin = std::move(*origin);
        candidate.saved = saved.time.tv_sec;
        pending.push_back(std::move(candidate));
    }
    std::sort(pending.begin(), pending.end(), [](const RecoveryCandidate& a, const RecoveryCandidate& b) {
        return a.saved != b.saved ? a.saved > b.saved : a.autosaveFile < b.autosaveFile;
    });
    return pending;
}

}  // namespace

// ---- CRunMarker ------------------------------------------------------------

CRunMarker::CRunMarker(std::filesystem::path file, std::string runId, int fd)
    : file_(std::move(file)), runId_(std::move(runId)), fd_(fd)
{
}

std::unique_ptr<CRunMarker> CRunMarker::create(const std::filesystem::path& settingsFolder)
{
    const long pid = static_cast<long>(::getpid());
    const auto started = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    const std::string runId = std::to_string(pid) + "-" + std::to_string(started);
    const std::filesystem::path file =
        settingsFolder / (std::string(kMarkerPrefix) + runId + std::string(kMarkerSuffix));

    // Made under another name and locked before it gets its own, so that no
    // other start ever sees this marker unlocked and takes it for a dead run's.
    const std::filesystem::path making = settingsFolder / ("." + file.filename().string());
    const int fd = ::open(making.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    const std::string content = "pid=" + std::to_string(pid) + "\n";
    const bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                    ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
                    std::rename(making.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::close(fd);
        ::unlink(making.c_str());
        return nullptr;
    }
    return std::unique_ptr<CRunMarker>(new CRunMarker(file, runId, fd));
}

CRunMarker::~CRunMarker()
{
    if (!keep_) ::unlink(file_.c_str());
    ::close(fd_);
}

std::vector<RunMarkerInfo> findRunMarkers(const std::filesystem::path& settingsFolder)
{
    std::vector<RunMarkerInfo> markers;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(settingsFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= kMarkerPrefix.size() + kMarkerSuffix.size() || name.rfind(kMarkerPrefix, 0) != 0 ||
            !endsWith(name, kMarkerSuffix)) {
            continue;
        }
        RunMarkerInfo marker;
        marker.file = entry.path();
        marker.runId = name.substr(kMarkerPrefix.size(), name.size() - kMarkerPrefix.size() - kMarkerSuffix.size());
        marker.pid = pidOfRun(marker.runId);
        marker.running = markerHeld(marker.file, marker.pid);
        markers.push_back(std::move(marker));
    }
    std::sort(markers.begin(), markers.end(),
              [](const RunMarkerInfo& a, const RunMarkerInfo& b) { return a.file < b.file; });
    return markers;
}

// ---- Origin records ----------------------------------------------------------

std::filesystem::path originFileOf(const std::filesystem::path& autosaveFile)
{
    std::filesystem::path file = autosaveFile;
    file += std::string(kOriginSuffix);
    return file;
}

std::error_code writeAutosaveOrigin(const std::filesystem::path& autosaveFile, const AutosaveOrigin& origin)
{
    std::string text(kOriginHeader);
    text += "\nRun=" + escapeLine(origin.runId) + "\nDocument=" + escapeLine(origin.document.native()) + "\n";
    return replaceFileAtomically(originFileOf(autosaveFile), text);
}

std::optional<AutosaveOrigin> readAutosaveOrigin(const std::filesystem::path& autosaveFile)
{
    const std::optional<std::string> text = readFileBytes(originFileOf(autosaveFile));
    if (!text || text->rfind(kOriginHeader, 0) != 0) return std::nullopt;
    AutosaveOrigin origin;
    bool hasRun = false;
    std::string_view rest(*text);
    while (!rest.empty()) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string value = unescapeLine(line.substr(equals + 1));
        if (key == "Run") {
            origin.runId = value;
            hasRun = true;
        } else if (key == "Document") {
            origin.document = value;
        }
    }
    if (!hasRun) return std::nullopt;
    return origin;
}

// ---- Offering ----------------------------------------------------------------

std::vector<RecoveryCandidate> findRecoverable(const std::filesystem::path& settingsFolder,
                                               const TimingContext& defaults)
{
    std::vector<RecoveryCandidate> candidates = pendingAutosaves(settingsFolder);
    for (RecoveryCandidate& candidate : candidates) {
        DocumentData document;
        candidate.readable = static_cast<bool>(openDocument(candidate.autosaveFile, defaults, document));
        if (!candidate.readable) continue;
        for (const DocumentSlot& slot : document.slots) {
            if (!slot.used) continue;
            ++candidate.tracks;
            candidate.characters += characterCount(slot.text);
        }
    }
    return candidates;
}

std::error_code discardRecoverable(const RecoveryCandidate& candidate)
{
    std::error_code error;
    std::filesystem::remove(candidate.autosaveFile, error);
    if (error) return error;
    // The record without its autosave is harmless; still, say when it stays.
    std::filesystem::remove(originFileOf(candidate.autosaveFile), error);
    return error;
}

std::error_code adoptRecoverable(const RecoveryCandidate& candidate, const std::string& runId)
{
    AutosaveOrigin origin = candidate.origin;
    origin.runId = runId;
    return writeAutosaveOrigin(candidate.autosaveFile, origin);
}

int removeSettledMarkers(const std::filesystem::path& settingsFolder)
{
    std::set<std::string> unsettled;
    for (const RecoveryCandidate& candidate : pendingAutosaves(settingsFolder)) unsettled.insert(candidate.origin.runId);
    int removed = 0;
    for (const RunMarkerInfo& marker : findRunMarkers(settingsFolder)) {
        if (marker.running || unsettled.count(marker.runId) != 0) continue;
        std::error_code error;
        if (std::filesystem::remove(marker.file, error)) ++removed;
    }
    return removed;
}

std::u16string recoveryDocumentName(const RecoveryCandidate& candidate)
{
    if (candidate.origin.document.empty()) return {};
    return utf8ToUtf16(candidate.origin.document.filename().string());
}

std::u16string recoveryTimeText(std::time_t time)
{
    std::tm local{};
    ::localtime_r(&time, &local);
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return utf8ToUtf16(text.data());
}

}  // namespace zema
