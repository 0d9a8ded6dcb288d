#pragma once

// Test doubles for the playback tests: a MIDI device that records what it is
// sent, and a clock the test moves by hand.

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/song.h"
#include "core/track_event.h"
#include "playback/midi_output.h"
#include "playback/mml_clock.h"
#include "playback/player_context.h"

namespace zema::test {

// One message as the device received it, stamped with the clock's time.
struct SentMessage {
    uint64_t time = 0;
    std::vector<uint8_t> bytes;
};

class RecordingMidi final : public IMidi {
public:
    explicit RecordingMidi(IMMLClock* clock = nullptr) : clock_(clock) {}

    int Open(uint32_t) override { return 0; }
    int Close() override { return 0; }
    int ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) override
    {
        // A device may be called by one thread at a time: count the calls
        // that find another one still inside. The yield widens the window.
        if (inside_.fetch_add(1) != 0) overlaps_.fetch_add(1);
        std::this_thread::yield();
        const auto packed = packShortMessage(status, channel, data1, data2);
        record({packed.begin(), packed.begin() + shortMessageLength(packed[0])});
        inside_.fetch_sub(1);
        if (onShortMessage) onShortMessage(toHex({packed[0], packed[1], packed[2]}));
        return 0;
    }
    // Calls that ran while another thread was inside ShortMsg.
    [[nodiscard]] int overlaps() const { return overlaps_.load(); }
    int LongMsg(const uint8_t* data, uint32_t length) override
    {
        record({data, data + length});
        return longResult;
    }

    [[nodiscard]] std::vector<SentMessage> messages() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // The messages as "90 3C 43" strings, for readable comparisons.
    [[nodiscard]] std::vector<std::string> hex() const
    {
        std::vector<std::string> out;
        for (const SentMessage& m : messages()) out.push_back(toHex(m.bytes));
        return out;
    }
    // Only note-on and note-off messages, as hex.
    [[nodiscard]] std::vector<std::string> notes() const
    {
        std::vector<std::string> out;
        for (const SentMessage& m : messages()) {
            const int kind = m.bytes[0] & 0xF0;
            if (kind == 0x80 || kind == 0x90) out.push_back(toHex(m.bytes));
        }
        return out;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

    static std::string toHex(const std::vector<uint8_t>& bytes)
    {
        static const char* digits = "0123456789ABCDEF";
        std::string s;
        for (uint8_t b : bytes) {
            if (!s.empty()) s += ' ';
            s += digits[b >> 4];
            s += digits[b & 15];
        }
        return s;
    }

    int longResult = 0;
    // Called after each short message is recorded, with its three bytes as hex.
    std::function<void(const std::string&)> onShortMessage;

private:
    void record(std::vector<uint8_t> bytes)
    {
        const uint64_t time = clock_ != nullptr ? clock_->Now() : 0;
        std::lock_guard lock(mutex_);
        messages_.push_back({time, std::move(bytes)});
    }

    IMMLClock* clock_;
    mutable std::mutex mutex_;
    std::vector<SentMessage> messages_;
    std::atomic<int> inside_{0};
    std::atomic<int> overlaps_{0};
};

// What a stream of messages (as "90 3C 43" strings) did with its notes. A
// stop is the player's sweep: all-notes-off (value 7F) and sustain off on
// the 16 channels, in channel order.
struct NoteAudit {
    int noteOns = 0;
    int sweeps = 0;
    // Notes still sounding when a sweep began or at the end of the stream:
    // note-ons that never got their own note-off.
    int leaked = 0;
    // Note-ons of a note already sounding on its channel.
    int doubled = 0;
};

inline bool isSweepAt(const std::vector<std::string>& messages, size_t at)
{
    static const char* hex = "0123456789ABCDEF";
    if (at + 32 > messages.size()) return false;
    for (int c = 0; c < 16; ++c) {
        const std::string status = std::string("B") + hex[c];
        if (messages[at + 2 * c] != status + " 7B 7F" || messages[at + 2 * c + 1] != status + " 40 00") return false;
    }
    return true;
}

inline NoteAudit auditNotes(const std::vector<std::string>& messages)
{
    NoteAudit audit;
    std::array<std::array<bool, 128>, 16> sounding{};
    const auto countSounding = [&] {
        int n = 0;
        for (const auto& channel : sounding) n += static_cast<int>(std::count(channel.begin(), channel.end(), true));
        return n;
    };
    for (size_t i = 0; i < messages.size(); ++i) {
        if (isSweepAt(messages, i)) {
            audit.leaked += countSounding();
            sounding = {};
            ++audit.sweeps;
            i += 31;
            continue;
        }
        const std::string& m = messages[i];
        if (m.size() != 8) continue;
        const int status = std::stoi(m.substr(0, 2), nullptr, 16);
        const int note = std::stoi(m.substr(3, 2), nullptr, 16);
        const int velocity = std::stoi(m.substr(6, 2), nullptr, 16);
        const int kind = status & 0xF0;
        if (kind == 0x90 && velocity > 0) {
            if (sounding[status & 15][note & 127]) ++audit.doubled;
            sounding[status & 15][note & 127] = true;
            ++audit.noteOns;
        } else if (kind == 0x80 || kind == 0x90) {
            sounding[status & 15][note & 127] = false;
        }
    }
    audit.leaked += countSounding();
    return audit;
}

// A clock in milliseconds that only the test moves. Sleeping moves time on
// towards the deadline as long as it does not pass the limit the test set; at the
// limit the sleeper waits until the test raises it. So the test can stop the
// player at an exact time, change a command, and let it go on.
class ManualClock final : public IMMLClock {
public:
    static constexpr uint64_t kForever = std::numeric_limits<uint64_t>::max();

    int Begin() override { return 1; }
    void End() override {}
    uint64_t Now() override
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    uint64_t Frequency() override { return 1000; }

    // Like the real clock, one call sleeps at most one period (1 ms), so the
    // player recomputes its position at every millisecond.
    void SleepUntil(uint64_t deadline) override
    {
        std::unique_lock lock(mutex_);
        deadline = std::min(deadline, now_ + 1);
        if (deadline <= limit_) {
            now_ = std::max(now_, deadline);
            return;
        }
        now_ = std::max(now_, limit_);
        parked_ = true;
        changed_.notify_all();
        const uint64_t limit = limit_;
        changed_.wait(lock, [&] { return limit_ != limit; });
        parked_ = false;
    }

    // Lets time run up to `limit` and waits until the player sleeps there
    // (or, with `waitForPark` false, returns at once).
    void runUntil(uint64_t limit, bool waitForPark = true)
    {
        std::unique_lock lock(mutex_);
        limit_ = limit;
        changed_.notify_all();
        if (waitForPark) changed_.wait(lock, [&] { return parked_ && now_ == limit_; });
    }
    void runForever() { runUntil(kForever, false); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t now_ = 0;
    uint64_t limit_ = 0;
    bool parked_ = false;
};

// Records the player's notifications (test code may lock).
class RecordingListener final : public IPlayerListener {
public:
    void OnPlayerNotify(PlayerNotification notification) override
    {
        std::lock_guard lock(mutex_);
        received_.push_back(notification);
    }
    [[nodiscard]] std::vector<int32_t> codes() const
    {
        std::lock_guard lock(mutex_);
        std::vector<int32_t> out;
        for (const auto& n : received_) out.push_back(static_cast<int32_t>(n.code));
        return out;
    }
    [[nodiscard]] std::vector<PlayerNotification> all() const
    {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<PlayerNotification> received_;
};

// Event builders for hand-made song lists.
inline TrackEvent noteEvent(int32_t track, int32_t tick, int32_t length, int32_t number, int32_t volume = 8,
                            int32_t sequence = 0)
{
    TrackEvent e;
    e.kind = TrackEventKind::Note;
    e.tick = tick;
    e.length = length;
    e.noteNumber = number;
    e.value = volume;
    e.trackIndex = track;
    e.channel = track;
    e.sequence = sequence;
    return e;
}

inline TrackEvent valueEvent(TrackEventKind kind, int32_t track, int32_t tick, int32_t value, int32_t value2 = 0,
                             int32_t sequence = 0)
{
    TrackEvent e;
    e.kind = kind;
    e.tick = tick;
    e.value = value;
    e.value2 = value2;
    e.trackIndex = track;
    e.channel = track;
    e.sequence = sequence;
    return e;
}

inline std::filesystem::path tempPath(const std::string& name)
{
    return std::filesystem::path(::testing::TempDir()) / name;
}

// A song made of MML texts, one per track, compiled as the editor would.
inline void fillSong(Song& song, const std::vector<std::u16string>& tracks)
{
    for (size_t i = 0; i < tracks.size(); ++i) {
        song.tracks[i].used = true;
        song.tracks[i].text = tracks[i];
    }
    recompileAll(song);
}

}  // namespace zema::test
