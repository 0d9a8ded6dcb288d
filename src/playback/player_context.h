#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "core/song.h"
#include "core/track_event.h"
#include "playback/bounded_queue.h"

namespace zema {

class IMidi;
class IMMLClock;

// The command word the owner writes and the player thread reads at every pass.
enum class PlayerCommand : int32_t { Run = 0, Stop = 1, Seek = 2 };

// What the player thread tells its owner.
enum class PlayerNotifyCode : int32_t {
    Started = 1,   // (re)started with command Run; value 0
    Finished = 2,  // the thread is about to end; value 0
    SeekDone = 6,  // value = the new seek tick
    Looped = 9,    // value = loopStartTick
};

// A channel message that another thread hands to the player to send.
struct ChannelMessage {
    uint8_t status = 0x90;  // high nibble only; the channel comes from `channel`
    uint8_t channel = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

// Room in the player's queue of messages from other threads. The player
// empties it at least once per clock period, so only a burst of this many
// messages within one millisecond can find it full.
inline constexpr size_t kQueuedMessageCapacity = 512;

struct PlayerNotification {
    PlayerNotifyCode code = PlayerNotifyCode::Started;
    int32_t value = 0;
};

// Receives the player thread's notifications on the player thread itself:
// an implementation must not block, lock or allocate.
class IPlayerListener {
public:
    virtual ~IPlayerListener() = default;
    virtual void OnPlayerNotify(PlayerNotification notification) = 0;
};

// Everything the player thread reads and writes. The owner fills it before
// starting the thread; afterwards the shared fields are atomics, so the owner,
// the player and the display side never lock.
//
// Threads: while the player thread runs, the plain fields (events, timebase,
// output, clock, loop, ...) belong to it and nobody else touches them; other
// threads only read or write the atomics and push into `queuedMessages`. The
// output device is the player's alone from its start until it has been
// joined: a message any other thread wants sounded on it goes through
// `queuedMessages`.
struct PlayerContext {
    IPlayerListener* owner = nullptr;  // may be absent
    // Private copy of the song-wide list; the player inserts NoteOffs into it
    // before it starts sounding.
    SongEventList events;
    int32_t timebase = 96;  // ticks per quarter note
    int32_t numerator = 4;
    int32_t denominator = 4;

    std::atomic<int32_t> seekTick{0};     // tick the thread (re)starts from
    std::atomic<int32_t> currentTick{0};  // last computed play position
    std::atomic<int32_t> tempo{120};      // tempo in force, quarter notes per minute
    std::atomic<PlayerCommand> command{PlayerCommand::Run};
    // Per track, the sequence index of the last event dispatched for it.
    std::array<std::atomic<int32_t>, kTrackCount> lastIndex{};
    int32_t trackCount = kTrackCount;

    IMidi* output = nullptr;
    IMMLClock* clock = nullptr;
    bool loop = false;  // restart at loopStartTick when the list is exhausted
    int32_t loopStartTick = 0;
    // Per track mute flags, read at every note so muting takes effect at once.
    std::array<std::atomic<bool>, kTrackCount> mute{};
    // Messages from other threads (the on-screen keyboard, a track's changed
    // setup): any thread may push, only the player thread pops while it runs,
    // sending them on `output` between its own events. Once the thread has
    // been joined, its owner sends what is left.
    BoundedQueue<ChannelMessage> queuedMessages{kQueuedMessageCapacity};

    // Monitor arrays, cleared at every (re)start and read without locks.
    std::array<std::atomic<uint64_t>, kTrackCount> highNotes{};  // bit n-64 while note n (64..127) sounds
    std::array<std::atomic<uint64_t>, kTrackCount> lowNotes{};   // bit n while note n (0..63) sounds
    std::array<std::atomic<int32_t>, kTrackCount> level{};       // velocity of the last note started
    std::array<std::atomic<uint32_t>, kTrackCount> noteOffTime{};  // ms of the last note-off; all bits after a note-on
    std::array<std::atomic<uint32_t>, kTrackCount> noteOnTime{};   // ms of the last note-on

    void clearMonitors()
    {
        for (int t = 0; t < kTrackCount; ++t) {
            highNotes[t] = 0;
            lowNotes[t] = 0;
            level[t] = 0;
            noteOffTime[t] = 0;
            noteOnTime[t] = 0;
        }
    }
};

// noteOffTime while a note of the track sounds.
inline constexpr uint32_t kNoteSounding = 0xFFFFFFFFu;

}  // namespace zema
