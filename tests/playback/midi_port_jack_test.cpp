// The MIDI port end to end: a private JACK server with the dummy backend,
// a monitor port listening in this process, and the player sending through
// CMidiOut.
//
// JACK is a dependency of this project (package jackd2), so a machine where
// the server cannot start fails these tests loudly.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "playback/jack_midi_port.h"
#include "playback/midi_port_out.h"
#include "playback/player_controller.h"
#include "jack_monitor.h"
#include "playback_support.h"
#include "transport_cycles.h"

extern char** environ;

namespace zema {
namespace {

using namespace std::chrono_literals;

// A child process whose output goes to a file; stopped and reaped on scope exit.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::filesystem::path& output) : output_(output)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    [[nodiscard]] bool started() const { return pid_ > 0; }
    [[nodiscard]] bool running()
    {
        return pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == 0;
    }
    // SIGTERM, then SIGKILL after two seconds; returns the exit status.
    int stop()
    {
        if (pid_ <= 0) return status_;
        kill(pid_, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + 2s;
        while (waitpid(pid_, &status_, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status_, 0);
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        pid_ = -1;
        return status_;
    }
    // Waits for the child to exit by itself (at most `limit`); its status.
    std::optional<int> wait(std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) {
                pid_ = -1;
                return status_;
            }
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }
    [[nodiscard]] std::string text() const
    {
        std::ifstream in(output_);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    pid_t pid_ = -1;
    int status_ = 0;
    std::filesystem::path output_;
};

// Polls `ready` every 50 ms for at most `limit`.
template <typename Ready>
bool waitFor(Ready ready, std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class JackMidiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // ctest runs each test in its own process, in parallel: two JACK
        // servers with the dummy backend at once get in each other's way, so
        // the processes take turns through a lock file.
        lock_ = open((std::filesystem::temp_directory_path() / "zema-jack-test.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        // The transport stress test holds it for a minute or so. Close-on-exec:
        // a server left behind by a killed run must not keep holding it.
        waitFor([] { return lock_ >= 0 && flock(lock_, LOCK_EX | LOCK_NB) == 0; }, 600s);
        // A private server: never touches a user's JACK, never clashes with
        // another test run.
        server_ = "zema-test-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", server_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        folder_ = std::filesystem::path(::testing::TempDir()) / server_;
        std::filesystem::create_directories(folder_);
        // Synchronous (-S) with a long client timeout: a cycle waits for a
        // client that the loaded machine delays instead of dropping what it
        // carried, so every message sent must arrive.
        jackd_ = std::make_unique<Child>(
            std::vector<std::string>{"jackd", "-n", server_, "-S", "-t", "5000", "-d", "dummy", "-r", "48000", "-p", "256"},
            folder_ / "jackd.log");
    }
    static void TearDownTestSuite()
    {
        jackd_.reset();
        unsetenv("JACK_DEFAULT_SERVER");
        if (lock_ >= 0) close(lock_);  // releases the lock
        lock_ = -1;
    }

    void SetUp() override
    {
        ASSERT_TRUE(jackd_->started()) << "cannot start jackd (package jackd2)";
        ASSERT_TRUE(waitFor([] { return jackd_->running() && std::system("jack_lsp > /dev/null 2>&1") == 0; }, 10s))
            << "the JACK dummy server did not come up:\n" << jackd_->text();
        monitor_ = std::make_unique<test::JackMonitor>();
        ASSERT_TRUE(monitor_->ready()) << "cannot open the monitor's JACK client";
        ASSERT_TRUE(waitFor([] { return monitorPort() >= 0; }, 10s)) << "the monitor's port did not appear";
    }
    void TearDown() override { monitor_.reset(); }

    // Index of the monitor's input in the port list, -1 while absent.
    static int monitorPort()
    {
        const auto ports = midiOutputPorts();
        for (size_t i = 0; i < ports.size(); ++i) {
            if (ports[i].name == "midi-monitor:input") return static_cast<int>(i);
        }
        return -1;
    }
    // The messages the monitor received, once `count` have arrived (10 s at most).
    std::vector<std::string> received(size_t count, std::chrono::milliseconds limit = 10s)
    {
        waitFor([&] { return monitor_->count() >= count; }, limit);
        EXPECT_EQ(monitor_->lost(), 0u);
        return monitor_->messages();
    }

    static inline std::string server_;
    static inline std::filesystem::path folder_;
    static inline std::unique_ptr<Child> jackd_;
    static inline int lock_ = -1;
    std::unique_ptr<test::JackMonitor> monitor_;
};

std::vector<std::string> sweep(const std::string& value123)
{
    static const char* hex = "0123456789ABCDEF";
    std::vector<std::string> out;
    for (int c = 0; c < 16; ++c) {
        const std::string status = std::string("B") + hex[c];
        out.push_back(status + " 7B " + value123);
        out.push_back(status + " 40 00");
    }
    return out;
}

TEST_F(JackMidiTest, PlaysASongThroughThePortByteForByte)
{
    Song song;
    test::fillSong(song, {u"t240 l8 cd", u"v15 e"});
    PlayerController controller(song);
    OutputSettings settings;
    settings.port = monitorPort();
    ASSERT_EQ(controller.OpenOutputDevice(settings), 0);
    ASSERT_EQ(controller.Play(0, false), 0);
    ASSERT_TRUE(waitFor([&] {
        controller.Poll();
        return !controller.playing();
    }, 10s));
    controller.CloseOutputDevice();

    std::vector<std::string> expected = {"F0 7E 7F 09 01 F7", "C0 69", "B0 07 64", "B0 0A 40",
                                         "C1 69", "B1 07 64", "B1 0A 40",
                                         "90 3C 43", "91 40 7F", "80 3C 00", "90 3E 43", "80 3E 00", "81 40 00"};
    for (const auto& m : sweep("7F")) expected.push_back(m);  // end of the song
    for (const auto& m : sweep("00")) expected.push_back(m);  // closing the port
    EXPECT_EQ(received(expected.size()), expected);
}

TEST_F(JackMidiTest, MasksBytesAndSendsSystemExclusive)
{
    CMidiOut out;
    EXPECT_EQ(out.ShortMsg(0x90, 0, 60, 1), 1);  // not open
    EXPECT_EQ(out.SendReset(1), 1);
    EXPECT_EQ(out.Open(static_cast<uint32_t>(monitorPort())), 0);
    EXPECT_EQ(out.portName(), "midi-monitor:input");
    EXPECT_EQ(out.Open(static_cast<uint32_t>(monitorPort())), 0);  // reopening closes first
    EXPECT_EQ(out.ShortMsg(0x9F, 0x12, 0xBC, 0xFF), 0);
    EXPECT_EQ(out.SendReset(0), 0);
    EXPECT_EQ(out.SendReset(6), 1);
    EXPECT_EQ(out.SendReset(2), 0);
    EXPECT_EQ(out.SendReset(5), 0);
    EXPECT_EQ(out.Open(9999), 1);
    EXPECT_FALSE(out.isOpen());

    std::vector<std::string> expected = sweep("00");  // the first Open's Close
    for (const auto& m : std::vector<std::string>{"92 3C 7F", "F0 41 10 42 12 40 00 7F 00 41 F7",
                                                  "F0 41 10 00 48 12 00 00 00 00 00 00 F7"}) {
        expected.push_back(m);
    }
    for (const auto& m : sweep("00")) expected.push_back(m);  // Open(9999) closes first
    EXPECT_EQ(received(expected.size()), expected);
}

// More than one cycle's buffer holds, sent at once right after opening:
// nothing is dropped, the rest goes out in the following cycles.
TEST_F(JackMidiTest, ABurstLargerThanACycleArrivesWholeAndInOrder)
{
    CMidiOut out;
    ASSERT_EQ(out.Open(static_cast<uint32_t>(monitorPort())), 0);
    std::vector<std::string> expected;
    for (int i = 0; i < 8000; ++i) {
        const auto note = static_cast<uint8_t>(i % 128);
        const auto velocity = static_cast<uint8_t>(1 + i / 128);
        ASSERT_EQ(out.ShortMsg(0x90, static_cast<uint8_t>(i % 16), note, velocity), 0) << "message " << i;
        expected.push_back(test::RecordingMidi::toHex({static_cast<uint8_t>(0x90 | (i % 16)), note, velocity}));
    }
    out.Close();
    for (const auto& m : sweep("00")) expected.push_back(m);
    EXPECT_EQ(received(expected.size()), expected);
}

TEST_F(JackMidiTest, CommandLinePortsAndPlayEndCleanlyOnSigterm)
{
    const auto folder = std::filesystem::path(::testing::TempDir());
    {
        std::ofstream song(folder / "loop.txt");
        song << "MML@t120l4cdef,,;\r\n";
    }
    Child ports({ZEMA_CLI_PATH, "ports"}, folder / "ports.txt");
    ASSERT_TRUE(ports.wait(10s).has_value());
    EXPECT_NE(ports.text().find(std::to_string(monitorPort()) + " midi-monitor:input\n"), std::string::npos) << ports.text();

    Child play({ZEMA_CLI_PATH, "play", (folder / "loop.txt").string(), "--port", std::to_string(monitorPort()), "--loop"},
               folder / "play.txt");
    ASSERT_TRUE(waitFor([&] { return monitor_->count() >= 6; }, 10s));
    const int status = play.stop();
    ASSERT_TRUE(WIFEXITED(status)) << "killed instead of ending cleanly";
    EXPECT_EQ(WEXITSTATUS(status), 0) << play.text();
    const auto messages = received(1);
    ASSERT_GE(messages.size(), 64u);
    EXPECT_EQ(messages.front(), "F0 7E 7F 09 01 F7");
    // Stopped: the end sweep, then the port's own all-notes-off when it closes.
    std::vector<std::string> tail(messages.end() - 64, messages.end());
    std::vector<std::string> expected = sweep("7F");
    for (const auto& m : sweep("00")) expected.push_back(m);
    EXPECT_EQ(tail, expected);
}

// Sends on a real port, keeps a copy of everything it sent and counts the
// sends the port refused.
class TeeMidi final : public IMidi {
public:
    TeeMidi(std::unique_ptr<IMidi> port, test::RecordingMidi& copy, std::atomic<int>& failed)
        : port_(std::move(port)), copy_(copy), failed_(failed)
    {
    }
    int Open(uint32_t port) override { return port_->Open(port); }
    int Close() override { return port_->Close(); }
    int ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) override
    {
        copy_.ShortMsg(status, channel, data1, data2);
        return count(port_->ShortMsg(status, channel, data1, data2));
    }
    int LongMsg(const uint8_t* data, uint32_t length) override
    {
        copy_.LongMsg(data, length);
        return count(port_->LongMsg(data, length));
    }

private:
    int count(int result)
    {
        if (result != 0) failed_.fetch_add(1);
        return result;
    }
    std::unique_ptr<IMidi> port_;
    test::RecordingMidi& copy_;
    std::atomic<int>& failed_;
};

TEST_F(JackMidiTest, AThousandTransportRoundsReachThePortWithNoNoteLeftSounding)
{
    Song song;
    test::fillSong(song, {u"t240l32cdefgab>c<bagfedc", u"l16o3ceg>c<gec"});
    PlayerController controller(song);
    test::RecordingMidi sent;
    std::atomic<int> failedSends{0};
    controller.setRealtimePriority(false);
    controller.setSleeper([](int) {});
    controller.setDeviceFactory([&](const OutputSettings& settings, int& code) -> std::unique_ptr<IMidi> {
        auto port = std::make_unique<CMidiOut>();
        code = port->Open(static_cast<uint32_t>(settings.port));
        if (code != 0) return nullptr;
        return std::make_unique<TeeMidi>(std::move(port), sent, failedSends);
    });
    OutputSettings settings;
    settings.port = monitorPort();
    settings.resetType = 0;
    ASSERT_EQ(controller.OpenOutputDevice(settings), 0);
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ASSERT_EQ(test::runTransportCycle(controller, cycle, [] { std::this_thread::sleep_for(1ms); }), "");
    }
    controller.CloseOutputDevice();

    auto expected = sent.hex();
    const test::NoteAudit audit = test::auditNotes(expected);
    EXPECT_EQ(audit.leaked, 0);
    EXPECT_EQ(audit.doubled, 0);
    EXPECT_GE(audit.sweeps, 2000);  // two plays a round, each ending in a sweep
    EXPECT_GT(audit.noteOns, 1000);
    EXPECT_EQ(sent.overlaps(), 0);
    EXPECT_EQ(failedSends.load(), 0);
    // The monitor shows every message sent, then the port's own sweep as
    // it closed, in their order.
    for (const auto& m : sweep("00")) expected.push_back(m);
    const std::vector<std::string> monitored = received(expected.size(), 60s);
    EXPECT_EQ(monitored.size(), expected.size());
    const auto [sentAt, monitoredAt] = std::mismatch(expected.begin(), expected.end(), monitored.begin(), monitored.end());
    EXPECT_TRUE(sentAt == expected.end() && monitoredAt == monitored.end())
        << "first difference at message " << (sentAt - expected.begin()) << " of " << expected.size() << ": sent "
        << (sentAt == expected.end() ? "nothing" : *sentAt) << ", the monitor got "
        << (monitoredAt == monitored.end() ? "nothing" : *monitoredAt);
}

// With no server to talk to, listing finds no JACK port, repeatedly, and
// holds on to nothing (the leak checker of the sanitizer builds watches).
TEST(JackPortList, NoServerMeansNoJackPorts)
{
    setenv("JACK_DEFAULT_SERVER", "zema-no-such-server", 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    EXPECT_TRUE(JackMidiPort::destinations("ZEMA").empty());
    JackMidiPort port;
    EXPECT_FALSE(port.open("ZEMA", "midi-monitor:input"));
    const size_t others = midiOutputPorts().size();
    for (int round = 0; round < 3; ++round) EXPECT_EQ(midiOutputPorts().size(), others);
    unsetenv("JACK_DEFAULT_SERVER");
    unsetenv("JACK_NO_START_SERVER");
}

}  // namespace
}  // namespace zema
