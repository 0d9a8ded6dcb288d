#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <array>
#include <thread>

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
// Every method runs on the owner's thread; the owner calls Poll() regularly
// (a UI timer) to receive the player's notifications and to clean up after
// the thread ended.
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
    [[nodiscard]] IMidi* output() const { return device_.get(); }
    // The level meter's view of the output: metering switched on the
    // synthesizer, and its levels (decibels below full scale, left and right)
    // while it plays a bank file; nothing for any other device.
    void setMetering(bool on);
    [[nodiscard]] std::optional<std::array<double, 2>> meterLevels() const;
    // True when the last OpenOutputDevice could not send its reset message.
    [[nodiscard]] bool resetFailed() const { return resetFailed_; }
    // Sounds or silences one note (velocity 100) on a channel: the on-screen
    // keyboard's preview. Nothing without an open device.
    void SendNote(int channel, int note, bool on);
    // Sends one track's program, volume and panpot (after its properties change).
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
    [[nodiscard]] const PlayerContext& context() const { return context_; }
    [[nodiscard]] uint32_t nowMilliseconds() const;
    // Largest tick of the last event of any track: where "next measure" stops.
    [[nodiscard]] int32_t lastEventTick() const;

private:
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
    std::atomic<bool> finished_{false};
    std::atomic<bool> playing_{false};
    std::atomic<bool> busy_{false};
    int32_t startTick_ = 0;
    bool loop_ = false;
};

}  // namespace zema
