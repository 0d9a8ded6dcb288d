// The MIDI port end to end: a private JACK server with the dummy backend,
// jack_midi_dump listening, and the player sending through CMidiOut.
//
// JACK is a dependency of this project (package jackd2), so a machine where
// the server or the dump tool cannot start fails these tests loudly.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "playback/midi_port_out.h"
#include "playback/player_controller.h"
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

// The hex bytes of each message jack_midi_dump printed ("   0: 90 3c 43 note on ...").
std::vector<std::string> dumpedMessages(const std::string& text)
{
    std::vector<std::string> messages;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(": ");
        if (colon == std::string::npos) continue;
        std::istringstream words(line.substr(colon + 2));
        std::string message;
        for (std::string word; words >> word;) {
            if (word.size() != 2 || !std::isxdigit(static_cast<unsigned char>(word[0])) ||
                !std::isxdigit(static_cast<unsigned char>(word[1])))
                break;
            for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            message += (message.empty() ? "" : " ") + word;
        }
        if (!message.empty()) messages.push_back(message);
    }
    return messages;
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
        jackd_ = std::make_unique<Child>(
            std::vector<std::string>{"jackd", "-n", server_, "-d", "dummy", "-r", "48000", "-p", "256"},
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
        dump_ = std::make_unique<Child>(std::vector<std::string>{"jack_midi_dump"}, folder_ / "dump.log");
        ASSERT_TRUE(dump_->started()) << "cannot start jack_midi_dump";
        ASSERT_TRUE(waitFor([this] { return dumpPort() >= 0; }, 10s)) << "jack_midi_dump's port did not appear";
    }
    void TearDown() override { dump_.reset(); }

    // Index of jack_midi_dump's input in the port list, -1 while absent.
    static int dumpPort()
    {
        const auto ports = midiOutputPorts();
        for (size_t i = 0; i < ports.size(); ++i) {
            if (ports[i].name == "midi-monitor:input") return static_cast<int>(i);
        }
        return -1;
    }
    // The messages the dump received, once `count` have arrived (10 s at most).
    std::vector<std::string> received(size_t count)
    {
        waitFor([&] { return dumpedMessages(dump_->text()).size() >= count; }, 10s);
        return dumpedMessages(dump_->text());
    }

    static inline std::string server_;
    static inline std::filesystem::path folder_;
    static inline std::unique_ptr<Child> jackd_;
    static inline int lock_ = -1;
    std::unique_ptr<Child> dump_;
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
    settings.port = dumpPort();
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
    EXPECT_EQ(out.Open(static_cast<uint32_t>(dumpPort())), 0);
    EXPECT_EQ(out.portName(), "midi-monitor:input");
    EXPECT_EQ(out.Open(static_cast<uint32_t>(dumpPort())), 0);  // reopening closes first
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

TEST_F(JackMidiTest, CommandLinePortsAndPlayEndCleanlyOnSigterm)
{
    const auto folder = std::filesystem::path(::testing::TempDir());
    {
        std::ofstream song(folder / "loop.txt");
        song << "MML@t120l4cdef,,;\r\n";
    }
    Child ports({ZEMA_CLI_PATH, "ports"}, folder / "ports.txt");
    ASSERT_TRUE(ports.wait(10s).has_value());
    EXPECT_NE(ports.text().find(std::to_string(dumpPort()) + " midi-monitor:input\n"), std::string::npos) << ports.text();

    Child play({ZEMA_CLI_PATH, "play", (folder / "loop.txt").string(), "--port", std::to_string(dumpPort()), "--loop"},
               folder / "play.txt");
    ASSERT_TRUE(waitFor([&] { return dumpedMessages(dump_->text()).size() >= 6; }, 10s));
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
    settings.port = dumpPort();
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
    // What the monitor shows is the messages sent, then the port's own sweep
    // as it closed, in their order and none invented. Exact delivery is not
    // asserted here: on a loaded machine the monitor (or a port just
    // connected) may miss a few, which says nothing about the player.
    for (const auto& m : sweep("00")) expected.push_back(m);
    std::vector<std::string> dumped;
    waitFor([&] {
        dumped = dumpedMessages(dump_->text());
        return dumped.size() >= expected.size();
    }, 60s);
    size_t matched = 0;
    for (const std::string& m : expected) {
        if (matched < dumped.size() && dumped[matched] == m) ++matched;
    }
    EXPECT_EQ(matched, dumped.size()) << "a message the port never got, or out of order";
    EXPECT_GT(dumped.size(), expected.size() * 9 / 10);
}

}  // namespace
}  // namespace zema
