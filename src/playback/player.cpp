#include "playback/player.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "playback/midi_output.h"
#include "playback/mml_clock.h"
#include "playback/player_events.h"

namespace zema {

namespace {

// A dispatch later than this (a stalled machine) re-anchors the schedule at
// the present instead of rushing through the events it missed.
constexpr uint64_t kReanchorMilliseconds = 100;
// Pause between flushing the sounding notes and the all-notes-off sweep.
constexpr uint64_t kEndPauseMilliseconds = 10;

struct PendingNote {
    int32_t offTick = 0;
    int32_t channel = 0;
    int32_t noteNumber = 0;
    int32_t track = 0;
    bool muted = false;
};

class PlayerRun {
public:
    explicit PlayerRun(PlayerContext& context)
        : context_(context), events_(context.events), out_(*context.output), clock_(*context.clock)
    {
    }

    void run()
    {
        insertNoteOffs(context_.events);
        pending_.reserve(soundingNoteCount(context_.events));
        frequency_ = std::max<uint64_t>(clock_.Frequency(), 1);
        timebase_ = std::max(context_.timebase, 1);

        // Where the next pass starts after a loop. Kept here, not in the
        // shared seekTick, which belongs to the owner's seeks: a seek given
        // just as the song loops then still goes where it was aimed.
        bool loopRestart = false;
        for (;;) {
            // Resetting a Seek here, before seekTick is read, means a seek the
            // owner writes from now on is seen by the loop below, and a Stop
            // that arrived meanwhile is kept.
            auto expected = PlayerCommand::Seek;
            const bool afterSeek = context_.command.compare_exchange_strong(expected, PlayerCommand::Run);
            const int32_t seekTick = afterSeek || !loopRestart ? context_.seekTick.load() : context_.loopStartTick;
            loopRestart = false;
            context_.clearMonitors();
            const StartPoint start = startPointAt(events_, seekTick);
            next_ = start.index;
            setTempo(start.tempo);
            context_.currentTick = seekTick;
            // SeekDone only now that the command word is back to Run: the
            // owner takes it as leave to send its next command, and a pause
            // that still found Seek there would be refused.
            if (afterSeek) {
                notify(PlayerNotifyCode::SeekDone, seekTick);
            } else if (context_.command.load() == PlayerCommand::Run) {
                notify(PlayerNotifyCode::Started, 0);
            }

            if (next_ < events_.size() && playFrom(seekTick)) continue;  // a seek restarts

            endOfPlay();
            // A seek that arrived while the last notes were ending is still
            // honoured instead of being lost with the thread.
            if (context_.command.load() == PlayerCommand::Seek) continue;
            if (context_.loop && context_.command.load() == PlayerCommand::Run) {
                loopRestart = true;
                notify(PlayerNotifyCode::Looped, context_.loopStartTick);
                continue;
            }
            break;
        }
        notify(PlayerNotifyCode::Finished, 0);
    }

private:
    // Plays until the list is exhausted or Stop (false) or a seek (true).
    bool playFrom(int32_t startTick)
    {
        int32_t baseTick = startTick;
        uint64_t baseTime = clock_.Now();
        uint64_t wait = unitsBetween(baseTick, events_[next_].tick);
        for (;;) {
            sendQueuedMessages();
            const uint64_t now = clock_.Now();
            const double elapsedTicks = static_cast<double>(now - baseTime) * ticksPerUnit_ + 0.5;
            context_.currentTick = clampTick(static_cast<double>(baseTick) + elapsedTicks);

            const PlayerCommand command = context_.command.load();
            if (command == PlayerCommand::Stop) return false;
            if (command == PlayerCommand::Seek) {
                seek();
                return true;
            }
            if (now - baseTime < wait) {
                clock_.SleepUntil(baseTime + wait);
                continue;
            }

            const uint64_t scheduled = baseTime + wait;
            const TrackEvent& event = events_[next_];
            baseTick = event.tick;
            // A note whose NoteOff event was passed over is no longer sounding.
            // One ending at this very tick stays until its NoteOff is
            // dispatched: a stop between events of one tick must still flush it.
            std::erase_if(pending_, [baseTick](const PendingNote& p) { return p.offTick < baseTick; });
            ++next_;
            dispatch(event);
            lastDispatchedTick_ = baseTick;
            if (next_ >= events_.size()) return false;
            const uint64_t late = now - scheduled;
            baseTime = late > frequency_ * kReanchorMilliseconds / 1000 ? clock_.Now() : scheduled;
            wait = unitsBetween(baseTick, events_[next_].tick);
        }
    }

    void seek()
    {
        const int32_t target = context_.seekTick.load();
        // Back, or onto a tick already dispatched (whose notes would sound a
        // second time): everything sounding ends and the pass starts afresh.
        if (target < context_.currentTick.load() || target <= lastDispatchedTick_) {
            for (const PendingNote& note : pending_) flush(note);
            pending_.clear();
            lastDispatchedTick_ = kNothingDispatched;
        } else {
            std::erase_if(pending_, [this, target](const PendingNote& note) {
                if (note.offTick > target) return false;
                flush(note);
                return true;
            });
        }
    }

    void endOfPlay()
    {
        sendQueuedMessages();
        for (const PendingNote& note : pending_) flush(note);
        pending_.clear();
        lastDispatchedTick_ = kNothingDispatched;
        const uint64_t until = clock_.Now() + frequency_ * kEndPauseMilliseconds / 1000;
        while (clock_.Now() < until) {
            clock_.SleepUntil(until);
            sendQueuedMessages();
        }
        for (uint8_t channel = 0; channel < 16; ++channel) {
            out_.ShortMsg(0xB0, channel, 123, 127);  // all notes off
            out_.ShortMsg(0xB0, channel, 64, 0);     // sustain off
        }
    }

    // Sends what other threads queued for the output (see PlayerContext).
    void sendQueuedMessages()
    {
        while (context_.queuedMessages.pop([this](const ChannelMessage& m) {
            out_.ShortMsg(m.status, m.channel, m.data1, m.data2);
        })) {
        }
    }

    void dispatch(const TrackEvent& event)
    {
        const int32_t track = event.trackIndex;
        const bool knownTrack = track >= 0 && track < kTrackCount;
        const auto channel = static_cast<uint8_t>(event.channel >= 0 ? event.channel : track);
        switch (event.kind) {
        case TrackEventKind::Note:
            if (!knownTrack) return;
            if (event.value >= 1) {
                setNoteBit(track, event.noteNumber, true);
                const bool muted = context_.mute[track].load();
                const int32_t velocity = velocityOfVolume(event.value);
                if (!muted) out_.ShortMsg(0x90, channel, static_cast<uint8_t>(event.noteNumber), static_cast<uint8_t>(velocity));
                context_.level[track] = velocity;
                context_.noteOffTime[track] = kNoteSounding;
                context_.noteOnTime[track] = clockMilliseconds(clock_);
                if (pending_.size() < pending_.capacity()) {
                    pending_.push_back({event.tick + event.length, channel, event.noteNumber, track, muted});
                }
            } else {
                context_.level[track] = 0;
                noteOff(track, channel, event.noteNumber);
            }
            break;
        case TrackEventKind::NoteOff:
            if (knownTrack) {
                noteOff(track, channel, event.noteNumber);
                release(channel, event.noteNumber, event.tick);
            }
            return;
        case TrackEventKind::Program: out_.ShortMsg(0xC0, channel, static_cast<uint8_t>(event.value & 0x7F), 0); break;
        case TrackEventKind::Tempo:
            if (event.value >= 1) setTempo(event.value);
            break;
        case TrackEventKind::Rest:
        case TrackEventKind::TrackEnd: break;
        case TrackEventKind::Control:
            out_.ShortMsg(0xB0, channel, static_cast<uint8_t>(event.value & 0x7F), static_cast<uint8_t>(event.value2 & 0x7F));
            break;
        case TrackEventKind::PitchBend:
            out_.ShortMsg(0xE0, channel, static_cast<uint8_t>(event.value & 0x7F), static_cast<uint8_t>(event.value2 & 0x7F));
            break;
        case TrackEventKind::SysEx:
            if (!event.data.empty()) out_.LongMsg(event.data.data(), static_cast<uint32_t>(event.data.size()));
            break;
        default: return;
        }
        if (knownTrack) context_.lastIndex[track] = event.sequence;
    }

    void noteOff(int32_t track, uint8_t channel, int32_t noteNumber)
    {
        out_.ShortMsg(0x80, channel, static_cast<uint8_t>(noteNumber), 0);
        setNoteBit(track, noteNumber, false);
        context_.noteOffTime[track] = clockMilliseconds(clock_);
    }

    // The sounding note a NoteOff event has just ended.
    void release(uint8_t channel, int32_t noteNumber, int32_t tick)
    {
        const auto it = std::find_if(pending_.begin(), pending_.end(), [&](const PendingNote& p) {
            return p.channel == channel && p.noteNumber == noteNumber && p.offTick == tick;
        });
        if (it != pending_.end()) pending_.erase(it);
    }

    void flush(const PendingNote& note)
    {
        if (!note.muted) out_.ShortMsg(0x80, static_cast<uint8_t>(note.channel), static_cast<uint8_t>(note.noteNumber), 0);
        setNoteBit(note.track, note.noteNumber, false);
        context_.noteOffTime[note.track] = clockMilliseconds(clock_);
    }

    void setNoteBit(int32_t track, int32_t noteNumber, bool on)
    {
        const int32_t n = noteNumber & 0x7F;
        auto& mask = n >= 64 ? context_.highNotes[track] : context_.lowNotes[track];
        const uint64_t bit = uint64_t{1} << (n & 63);
        if (on) {
            mask.fetch_or(bit);
        } else {
            mask.fetch_and(~bit);
        }
    }

    void setTempo(int32_t tempo)
    {
        tempo_ = std::max(tempo, 1);
        context_.tempo = tempo_;
        unitsPerTick_ = static_cast<double>(frequency_) * 60.0 / tempo_ / timebase_;
        ticksPerUnit_ = 1.0 / unitsPerTick_;
    }

    [[nodiscard]] uint64_t unitsBetween(int32_t fromTick, int32_t toTick) const
    {
        const double units = static_cast<double>(toTick - fromTick) * unitsPerTick_ + 0.5;
        return units > 0 ? static_cast<uint64_t>(units) : 0;
    }

    [[nodiscard]] static int32_t clampTick(double tick)
    {
        constexpr double kMax = std::numeric_limits<int32_t>::max();
        return static_cast<int32_t>(std::clamp(tick, 0.0, kMax));
    }

    void notify(PlayerNotifyCode code, int32_t value)
    {
        if (context_.owner != nullptr) context_.owner->OnPlayerNotify({code, value});
    }

    PlayerContext& context_;
    const SongEventList& events_;
    IMidi& out_;
    IMMLClock& clock_;
    std::vector<PendingNote> pending_;
    size_t next_ = 0;
    static constexpr int32_t kNothingDispatched = std::numeric_limits<int32_t>::min();
    // Tick of the last event dispatched since the sounding notes were last
    // all flushed.
    int32_t lastDispatchedTick_ = kNothingDispatched;
    uint64_t frequency_ = 1000;
    int32_t timebase_ = 96;
    int32_t tempo_ = 120;
    double unitsPerTick_ = 1.0;
    double ticksPerUnit_ = 1.0;
};

}  // namespace

void runPlayer(PlayerContext& context)
{
    PlayerRun(context).run();
}

}  // namespace zema
