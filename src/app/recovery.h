#pragma once

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "core/timing.h"

namespace zema {

// Getting back the work of a run that crashed, lost power or was killed.
//
// A running program keeps a run marker, "<settings folder>/ZEMA-<run>.lock",
// holding its process id and locked (flock) for as long as the process lives;
// the kernel drops the lock when the process dies, however it dies. A normal
// end removes the marker. So a marker that nobody holds belongs to a run that
// ended without finishing, and that run's autosave files (each one says in
// its origin record which run wrote it and for which document) are what the
// next start offers back.

// ---- The run marker ----------------------------------------------------

class CRunMarker {
public:
    // Creates and locks this run's marker in `settingsFolder`; nothing when
    // the folder cannot hold one (the program then runs without recovery).
    [[nodiscard]] static std::unique_ptr<CRunMarker> create(const std::filesystem::path& settingsFolder);
    // Unlocks; removes the marker unless keepForRecovery() was called.
    ~CRunMarker();
    CRunMarker(const CRunMarker&) = delete;
    CRunMarker& operator=(const CRunMarker&) = delete;

    // "<process id>-<start time in ms>": unique among the runs of one folder.
    [[nodiscard]] const std::string& runId() const { return runId_; }
    [[nodiscard]] const std::filesystem::path& file() const { return file_; }
    // The run ends with unsaved work in its autosave files: the marker stays,
    // so the next start offers that work back.
    void keepForRecovery() { keep_ = true; }

private:
    CRunMarker(std::filesystem::path file, std::string runId, int fd);

    std::filesystem::path file_;
    std::string runId_;
    int fd_ = -1;  // holds the lock
    bool keep_ = false;
};

struct RunMarkerInfo {
    std::filesystem::path file;
    std::string runId;
    long pid = 0;
    bool running = false;  // its process still holds it
};

// Every run marker of the folder, in name order.
[[nodiscard]] std::vector<RunMarkerInfo> findRunMarkers(const std::filesystem::path& settingsFolder);

// ---- The origin record beside an autosave file --------------------------

// Where an autosave file comes from. Kept in "<autosave file>.origin", a
// small text file beside it, so the autosave itself stays a plain document
// every version can open.
struct AutosaveOrigin {
    std::string runId;
    std::filesystem::path document;  // empty for an untitled document

    friend bool operator==(const AutosaveOrigin&, const AutosaveOrigin&) = default;
};

[[nodiscard]] std::filesystem::path originFileOf(const std::filesystem::path& autosaveFile);
// Written atomically; the error says why it could not be.
[[nodiscard]] std::error_code writeAutosaveOrigin(const std::filesystem::path& autosaveFile,
                                                  const AutosaveOrigin& origin);
// Nothing when the record is missing or not one of ours.
[[nodiscard]] std::optional<AutosaveOrigin> readAutosaveOrigin(const std::filesystem::path& autosaveFile);

// ---- What a start offers back --------------------------------------------

struct RecoveryCandidate {
    std::filesystem::path autosaveFile;
    AutosaveOrigin origin;
    std::time_t saved = 0;  // when the autosave was last written
    bool readable = false;  // the autosave opens as a document
    int tracks = 0;
    int characters = 0;     // the game's count, summed over the tracks
};

// The autosave files of runs that ended without finishing, newest first:
// those of untitled documents, of documents that are gone, and of documents
// last written before their autosave. Autosaves older than their document
// (saved again after the autosave) are not offered.
[[nodiscard]] std::vector<RecoveryCandidate> findRecoverable(const std::filesystem::path& settingsFolder,
                                                             const TimingContext& defaults);

// Deletes an offered autosave file and its origin record.
[[nodiscard]] std::error_code discardRecoverable(const RecoveryCandidate& candidate);

// Makes an offered autosave file belong to run `runId` (the one that opened
// it): it is no longer offered while that run lives, and offered again if
// that run ends without finishing too.
[[nodiscard]] std::error_code adoptRecoverable(const RecoveryCandidate& candidate, const std::string& runId);

// Removes the markers of ended runs that have nothing left to offer; returns
// how many were removed.
int removeSettledMarkers(const std::filesystem::path& settingsFolder);

// The name a candidate is listed by: the document's file name, or nothing
// for an untitled document (the caller shows its own text for that).
[[nodiscard]] std::u16string recoveryDocumentName(const RecoveryCandidate& candidate);
// "YYYY/MM/DD HH:MM:SS" in local time.
[[nodiscard]] std::u16string recoveryTimeText(std::time_t time);

}  // namespace zema
