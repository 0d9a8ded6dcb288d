// Saving under faults: a failing disk at every byte, failing system calls, a
// file-size limit enforced by the kernel, and a saving process killed at
// random moments. The old document must survive every one of them whole, and
// every failure must be reported.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <thread>

#include "document/atomic_write.h"
#include "document/document_test_support.h"
#include "document/mml_file_writer.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::string documentBytes(const DocumentData& document)
{
    CMMLFileWriter writer(document, true);
    EXPECT_TRUE(writer.WriteToMemory());
    return writer.buffer();
}

// The document a save replaces, and the one it writes.
struct SaveCase {
    DocumentData changed = test::sampleDocument();
    std::string oldBytes = documentBytes(test::sampleDocument());
    std::string newBytes;
};

SaveCase saveCase()
{
    SaveCase bytes;
    bytes.changed.title = u"changed";
    bytes.changed.slots[0].text = u"t150o5l16cdefgab>cdefgab>c\r\n";
    bytes.newBytes = documentBytes(bytes.changed);
    return bytes;
}

// Every name in the folder; a save must leave nothing but its document.
std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The system calls, with a disk that is full after `capacity` bytes.
FileOps diskFullAfter(size_t capacity, size_t& writtenSoFar)
{
    FileOps ops = systemFileOps();
    ops.write = [capacity, &writtenSoFar, real = ops.write](int fd, const char* data, size_t size) -> ssize_t {
        if (writtenSoFar >= capacity) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t written = real(fd, data, std::min(size, capacity - writtenSoFar));
        if (written > 0) writtenSoFar += static_cast<size_t>(written);
        return written;
    };
    return ops;
}

TEST(SaveFaults, DiskFullAtEveryByteKeepsTheOldDocumentAndSaysWhy)
{
    const SaveCase bytes = saveCase();
    TempFolder folder;
    const auto path = folder / "song.mml";
    writeBytes(path, bytes.oldBytes);
    ASSERT_GT(bytes.newBytes.size(), 200U);

    for (size_t capacity = 0; capacity < bytes.newBytes.size(); ++capacity) {
        size_t written = 0;
        const std::error_code error = replaceFileAtomically(path, bytes.newBytes, diskFullAfter(capacity, written));
        ASSERT_EQ(error, std::errc::no_space_on_device) << "full after " << capacity;
        ASSERT_EQ(written, capacity);
        ASSERT_EQ(readBytes(path), bytes.oldBytes) << "full after " << capacity;
        ASSERT_EQ(namesIn(folder.path()), std::vector<std::string>{"song.mml"}) << "full after " << capacity;
    }
    size_t written = 0;
    EXPECT_FALSE(replaceFileAtomically(path, bytes.newBytes, diskFullAfter(bytes.newBytes.size(), written)));
    EXPECT_EQ(readBytes(path), bytes.newBytes);
}

TEST(SaveFaults, EachFailingCallLeavesTheOldDocumentAndReportsItsError)
{
    const SaveCase bytes = saveCase();
    struct Fault {
        const char* name;
        std::function<void(FileOps&)> inject;
        std::errc expected;
    };
    const std::vector<Fault> faults = {
        {"no temporary file", [](FileOps& ops) { ops.makeTemp = [](std::string&) { return errno = EACCES, -1; }; },
         std::errc::permission_denied},
        {"mode", [](FileOps& ops) { ops.setMode = [](int, mode_t) { return errno = EPERM, -1; }; },
         std::errc::operation_not_permitted},
        {"write error", [](FileOps& ops) { ops.write = [](int, const char*, size_t) { return errno = EIO, ssize_t{-1}; }; },
         std::errc::io_error},
        // A write that makes no progress and names no error must end, not spin.
        {"write of nothing", [](FileOps& ops) { ops.write = [](int, const char*, size_t) { return ssize_t{0}; }; },
         std::errc::no_space_on_device},
        {"flush", [](FileOps& ops) { ops.sync = [](int) { return errno = EIO, -1; }; }, std::errc::io_error},
        {"close",
         [](FileOps& ops) {
             ops.close = [real = ops.close](int fd) {
                 (void)real(fd);
                 return errno = EDQUOT, -1;
             };
         },
         std::errc(EDQUOT)},
        {"rename", [](FileOps& ops) { ops.rename = [](const char*, const char*) { return errno = EXDEV, -1; }; },
         std::errc::cross_device_link},
    };
    for (const Fault& fault : faults) {
        TempFolder folder;
        const auto path = folder / "song.mml";
        writeBytes(path, bytes.oldBytes);
        FileOps ops = systemFileOps();
        fault.inject(ops);
        EXPECT_EQ(replaceFileAtomically(path, bytes.newBytes, ops), fault.expected) << fault.name;
        EXPECT_EQ(readBytes(path), bytes.oldBytes) << fault.name;
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"song.mml"}) << fault.name;
    }

    // Interrupted and one-byte writes are carried on to the end.
    TempFolder folder;
    const auto path = folder / "song.mml";
    FileOps trickle = systemFileOps();
    int interruptions = 0;
    trickle.write = [&interruptions, real = trickle.write](int fd, const char* data, size_t) -> ssize_t {
        if (++interruptions % 3 == 0) return errno = EINTR, -1;
        return real(fd, data, 1);
    };
    EXPECT_FALSE(replaceFileAtomically(path, bytes.newBytes, trickle));
    EXPECT_EQ(readBytes(path), bytes.newBytes);
}

TEST(SaveFaults, SavingThroughALinkReplacesTheLinkedFileAndKeepsItsMode)
{
    const SaveCase bytes = saveCase();
    TempFolder folder;
    std::filesystem::create_directory(folder / "real");
    writeBytes(folder / "real/song.mml", bytes.oldBytes);
    std::filesystem::permissions(folder / "real/song.mml", std::filesystem::perms(0600));
    std::filesystem::create_symlink("real/song.mml", folder / "link.mml");

    CMMLFileWriter writer(test::sampleDocument(), false);
    ASSERT_TRUE(writer.SaveFile(folder / "link.mml"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.mml"));
    EXPECT_EQ(readBytes(folder / "real/song.mml"), writer.buffer());
    EXPECT_EQ(std::filesystem::status(folder / "real/song.mml").permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(namesIn(folder / "real"), std::vector<std::string>{"song.mml"});
}

// The kernel's own limit on file size, with the real writer: a child process
// lowers its limit to each byte position in turn and saves under it. It
// reports the first position where anything went wrong, or nothing.
std::string checkEverySizeLimit(const std::filesystem::path& path, const DocumentData& document,
                                const std::string& oldBytes, const std::string& newBytes)
{
    int report[2];
    if (::pipe(report) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
        auto fail = [&](const std::string& what) {
            (void)::write(report[1], what.data(), what.size());
            ::_exit(1);
        };
        auto limitTo = [&](rlim_t bytes) {
            const rlimit cap{bytes, RLIM_INFINITY};
            if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) fail("setrlimit");
        };
        for (size_t limit = 0; limit <= newBytes.size(); ++limit) {
            limitTo(limit);
            CMMLFileWriter writer(document, true);
            const bool saved = writer.SaveFile(path);
            limitTo(RLIM_INFINITY);
            const std::string where = "limit " + std::to_string(limit) + ": ";
            const bool whole = limit == newBytes.size();
            if (saved != whole) fail(where + (saved ? "saved" : "not saved"));
            if (readBytes(path) != (whole ? newBytes : oldBytes)) fail(where + "document changed");
            if (namesIn(path.parent_path()) != std::vector<std::string>{path.filename()}) fail(where + "file left");
        }
        ::_exit(0);
    }
    ::close(report[1]);
    std::string message(256, '\0');
    const ssize_t length = ::read(report[0], message.data(), message.size());
    ::close(report[0]);
    message.resize(static_cast<size_t>(std::max<ssize_t>(length, 0)));
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return message.empty() ? "child died" : message;
    return message;
}

TEST(SaveFaults, FileSizeLimitAtEveryByteFailsTheSaveAndKeepsTheOldDocument)
{
    const SaveCase bytes = saveCase();
    TempFolder folder;
    const auto path = folder / "song.mml";
    writeBytes(path, bytes.oldBytes);
    EXPECT_EQ(checkEverySizeLimit(path, bytes.changed, bytes.oldBytes, bytes.newBytes), "");
    EXPECT_EQ(readBytes(path), bytes.newBytes);
}

// A child that saves two documents in turn as fast as it can is killed at a
// random moment, again and again: the file is always one of the two, whole.
// What killed saves left behind goes with the next save of the same file;
// a fresh one (another program's save still running) and other files stay.
TEST(SaveFaults, ASaveRemovesTheStaleTemporariesOfItsFileOnly)
{
    TempFolder folder;
    const auto old = std::filesystem::file_time_type::clock::now() - kStaleTemporaryAge - std::chrono::minutes(1);
    const std::vector<std::pair<std::string, bool>> files = {
        {".song.mml.a1B2c3", false},  // stale: removed
        {".song.mml.Zz9Yy8", true},   // fresh
        {".song.mml.bak", true},      // not a temporary's name
        {".song.mml.a1-2c3", true},
        {".other.mml.a1B2c3", true},  // another file's
        {"song.mml.a1B2c3", true},
    };
    for (const auto& [name, kept] : files) {
        writeBytes(folder / name, "x");
        if (name != ".song.mml.Zz9Yy8") std::filesystem::last_write_time(folder / name, old);
    }
    ASSERT_FALSE(replaceFileAtomically(folder / "song.mml", "new"));
    for (const auto& [name, kept] : files) EXPECT_EQ(std::filesystem::exists(folder / name), kept) << name;
    EXPECT_EQ(readBytes(folder / "song.mml"), "new");
}

TEST(SaveFaults, KillingTheSavingProcessLeavesTheOldOrTheNewDocumentNeverAMix)
{
    DocumentData first = test::sampleDocument();
    DocumentData second = test::sampleDocument();
    // Large enough that a kill often lands inside a write.
    for (DocumentSlot& slot : second.slots) {
        slot.used = true;
        slot.text.clear();
        for (int i = 0; i < 100; ++i) slot.text += u"t120l16o4cdefgab>cdefgab<\r\n";
    }
    const std::string firstBytes = documentBytes(first);
    const std::string secondBytes = documentBytes(second);
    ASSERT_NE(firstBytes, secondBytes);

    TempFolder folder;
    const auto path = folder / "song.mml";
    // The kill lands anywhere in about two rounds of saving on this machine.
    const auto before = std::chrono::steady_clock::now();
    for (const DocumentData* document : {&second, &first}) {
        CMMLFileWriter writer(*document, true);
        ASSERT_TRUE(writer.SaveFile(path));
    }
    const auto round = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - before);
    ASSERT_EQ(readBytes(path), firstBytes);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> delayUs(0, 2 * round.count() + 500);
    constexpr int kKills = 240;
    int interruptedSaves = 0;  // kills that left a temporary file: the save was cut off
    int ofFirst = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool odd = false;; odd = !odd) {
                CMMLFileWriter writer(odd ? first : second, true);
                (void)writer.SaveFile(path);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = readBytes(path);
        ASSERT_TRUE(now == firstBytes || now == secondBytes) << "kill " << kill << ": " << now.size() << " bytes";
        ofFirst += now == firstBytes ? 1 : 0;
        for (const std::string& name : namesIn(folder.path())) {
            if (name == "song.mml") continue;
            ++interruptedSaves;
            std::filesystem::remove(folder / name);
        }
    }
    RecordProperty("kills", kKills);
    RecordProperty("interrupted_saves", interruptedSaves);
    std::printf("[ kill test ] %d kills, %d inside a save, %d left the first document\n", kKills, interruptedSaves,
                ofFirst);
    EXPECT_GT(interruptedSaves, 0);
}

}  // namespace
}  // namespace zema
