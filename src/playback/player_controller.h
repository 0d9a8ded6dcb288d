#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <array>
#include <thread>
#include <vector>

#include "core/song.h"
#include "playback/mml_clock.h"
#include "playback/midi_output.h"
#include "playback/output_settings.h"
#include "playback/player_context.h"
#include "playback/spsc_ring.h"

namespace zema {

// The play position as the status display shows it.
struct PositionDisplay {
    int32_t measure = 0;
    int32_t tick = 0;  // tick within the measure
    int32_t tempo = 120;

    friend bool operator==(const PositionDisplay&, const PositionDisplay&) = default;
};

// The playback side of the main window, without any window: owns the output
// device, the clock and the player thread, and offers the transport commands.
// The owner calls Poll() regularly (a UI timer) to receive the player's
// notifications and to clean up after the thread ended.
//
// Threads: every method belongs to the owner's thread (the window's, or the
// command-line tool's main thread). The controller alone holds the output
// device; nobody else gets a pointer to it. From Play until the player thread
// has been joined (by Poll, Join or CloseOutputDevice) that thread alone
// talks to the device, and what the owner sends meanwhile (SendNote,
// SendTrackSetup) goes through the player's lock-free message queue, so a
// device never sees two threads at once. With no player thread the owner
// sends straight to the device. The meter's and the monitor's reads go
// through meterLevels() and context(), whose shared fields are atomics.
class PlayerController final : private IPlayerListener {
public:
    using DeviceFactory = std::function<std::unique_ptr<IMidi>(const OutputSettings&, int& code)>;
    using ClockFactory = std::function<std::unique_ptr<IMMLClock>()>;
    using Sleeper = std::function<void(int milliseconds)>;
    using ProgramOf = std::function<int32_t(int32_t instrument)>;
    using Listener = std::function<void(PlayerNotification)>;

    // The song is read at Play and by the position commands; it must outlive
    // the controller.
    explicit PlayerController(Song& song);
    ~PlayerController() override;
    PlayerController(const PlayerController&) = delete;
    PlayerController& operator=(const PlayerController&) = delete;

    // Test seams: how devices and clocks are made, how the setup waits, and
    // whether the player thread asks for real-time priority.
    void setDeviceFactory(DeviceFactory factory) { deviceFactory_ = std::move(factory); }
    void setClockFactory(ClockFactory factory) { clockFactory_ = std::move(factory); }
    void setSleeper(Sleeper sleeper) { sleeper_ = std::move(sleeper); }
    void setRealtimePriority(bool on) { realtime_ = on; }
    // The General MIDI program of a track's instrument (the instrument presets).
    void setProgramOf(ProgramOf programOf) { programOf_ = std::move(programOf); }
    // Receives every notification, on the owner's thread, from Poll().
    void setListener(Listener listener) { listener_ = std::move(listener); }

    // Opens the device of `settings` unless one exists; sends the reset and
    // each used track's program, volume and panpot. Returns 0 or the error
    // code (outputDeviceErrorMessage gives its text). Codes 1 to 3 leave no
    // device; 4 and 5 keep the opened synthesizer without instruments.
    [[nodiscard]] int OpenOutputDevice(const OutputSettings& settings);
    // The settings Play uses when it must open the device itself.
    void setOutputSettings(const OutputSettings& settings) { settings_ = settings; }
    // Stops playback and closes the device (all notes off).
    void CloseOutputDevice();
    [[nodiscard]] bool hasOutput() const { return device_ != nullptr; }
    // The level meter's view of the output: metering switched on the
    // synthesizer, and its levels (decibels below full scale, left and right)
    // while it plays a bank file; nothing for any other device.
    void setMetering(bool on);
    [[nodiscard]] std::optional<std::array<double, 2>> meterLevels() const;
    // True when the last OpenOutputDevice could not send its reset message.
    [[nodiscard]] bool resetFailed() const { return resetFailed_; }
    // Sounds or silences one note (velocity 100) on a channel: the on-screen
    // keyboard's preview. 0 when sent or queued for the player; 1 without an
    // open device or for a note outside 0..127.
    int SendNote(int channel, int note, bool on);
    // Sends one track's program, volume and panpot (after its properties
    // change), through the player's queue while it plays.
    void SendTrackSetup(int track);

    // Starts the player at `fromTick`: 0 started, 1 not (busy, already
    // playing, or no device can be opened).
    int Play(int32_t fromTick, bool loop);
    void PlayCommand();  // Play from startTick when stopped, else Pause
    void Pause();        // stop, remembering the position as the next start
    void Stop();         // stop; the next start stays where it was
    void BackToTop();
    void NextMeasure();
    void PreviousMeasure();
    // Plays from the first event of the current track whose source starts at
    // or after (line, column).
    void PlayFromCaret(int32_t line, int32_t column);
    void ToggleLoop() { loop_ = !loop_; }
    void SetLoop(bool on) { loop_ = on; }
    [[nodiscard]] bool loop() const { return loop_; }

    // Mutes or unmutes a track now and in the song; the player reads the flag
    // at the track's next note.
    void SetTrackMute(int track, bool mute);

    // Delivers pending notifications and, once the thread has finished, joins
    // it and returns to the stopped state.
    void Poll();
    // Stops the player thread and waits for it (window closing).
    void Join();

    [[nodiscard]] bool playing() const { return playing_.load(); }
    [[nodiscard]] bool busy() const { return busy_.load(); }
    [[nodiscard]] int32_t startTick() const { return startTick_; }
    [[nodiscard]] PositionDisplay position() const;
    // The player's shared fields (monitor arrays, lastIndex, currentTick).
    // While the player runs only its atomics may be read.
    [[nodiscard]] const PlayerContext& context() const { return context_; }
    [[nodiscard]] uint32_t nowMilliseconds() const;
    // Largest tick of the last event of any track: where "next measure" stops.
    [[nodiscard]] int32_t lastEventTick() const;

private:
    // The device as the owner's thread may use it (see the class comment).
    class OwnerOutput final : public IMidi {
    public:
        explicit OwnerOutput(PlayerController& controller) : controller_(controller) {}
        int Open(uint32_t /*port*/) override { return 1; }
        int Close() override { return 0; }
        int ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) override
        {
            return controller_.sendFromOwner({status, channel, data1, data2});
        }
        // System-exclusive messages do not fit the queue: refused (1) while
        // the player runs.
        int LongMsg(const uint8_t* data, uint32_t length) override;

    private:
        PlayerController& controller_;
    };

    // True from Play until the player thread has been joined: the device is
    // the player's then.
    [[nodiscard]] bool playerOwnsOutput() const { return thread_.joinable(); }
    int sendFromOwner(ChannelMessage message);
    // Moves the backlog into the player's queue as far as it has room.
    void queueBacklog();
    // After the join: sends what the player left in its queue, then the backlog.
    void sendLeftMessages();
    void deliver(PlayerNotification notification);
    void OnPlayerNotify(PlayerNotification notification) override;
    void cleanup();
    void seekTo(int32_t target);
    [[nodiscard]] int32_t positionTick() const;

    Song& song_;
    DeviceFactory deviceFactory_;
    ClockFactory clockFactory_;
    Sleeper sleeper_;
    ProgramOf programOf_;
    Listener listener_;
    bool realtime_ = true;

    std::unique_ptr<IMidi> device_;
    OutputKind openedKind_ = OutputKind::MidiPort;  // the kind device_ was opened as
    OutputSettings settings_;
    bool resetFailed_ = false;
    std::unique_ptr<IMMLClock> clock_;
    PlayerContext context_;
    std::thread thread_;
    SpscRing<PlayerNotification, 64> notifications_;
    // Messages for the player that found its queue full, oldest first; owned
    // by the owner's thread, which hands them on at the next send or Poll.
    std::vector<ChannelMessage> backlog_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> playing_{false};
    std::atomic<bool> busy_{false};
    // The answer that ends the busy state of a start or a seek. Only that
    // answer clears it: a loop's restart also reports Started, and must not
    // end the wait for a seek given at the same moment.
    enum class Awaited : int32_t { Nothing, Started, SeekDone };
    std::atomic<Awaited> awaited_{Awaited::Nothing};
    // The listener has had this run's Finished (the ring may have dropped it
    // when the owner polled too seldom).
    bool finishedDelivered_ = true;
    int32_t startTick_ = 0;
    bool loop_ = false;
};

}  // namespace zema
