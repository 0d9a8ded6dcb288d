#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zema {

// The reset message sent to a device before playback (settings key ResetType).
enum class ResetType : int32_t {
    None = 0,
    GmSystemOn = 1,
    GsReset = 2,
    XgSystemOn = 3,
    Sc88Mode1 = 4,
    Sd80Native = 5,
};

// The system-exclusive bytes of a reset type; empty for None and for values
// that name no reset.
[[nodiscard]] std::span<const uint8_t> resetMessage(int32_t resetType);

// The three bytes of a channel message: the status's high nibble with the
// channel's low nibble, both data bytes masked to 7 bits.
[[nodiscard]] std::array<uint8_t, 3> packShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2);

// Number of bytes a channel message with this status byte carries (1 to 3).
[[nodiscard]] int shortMessageLength(uint8_t status);

// An output device the player plays on: a MIDI port or the software
// synthesizer. Every operation returns 0 on success and 1 (or an error code
// for Open) on failure; nothing throws.
//
// Threads: a device need not take calls from two threads at once. Its user
// lets one thread at a time talk to it, and hands it from one thread to
// another only through a synchronising step (a thread start or join): the
// PlayerController gives it to the player thread from Play until the join
// and uses it from the owner's thread otherwise. Open and Close belong to
// the owner's thread, with no player thread running.
class IMidi {
public:
    virtual ~IMidi() = default;

    // Opens the device (closing whatever was open first).
    [[nodiscard]] virtual int Open(uint32_t port) = 0;
    virtual int Close() = 0;
    virtual int ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) = 0;
    // One complete system-exclusive message, F0 to F7. The caller's buffer
    // may be reused as soon as the call returns.
    virtual int LongMsg(const uint8_t* data, uint32_t length) = 0;
    // Sends the reset message of `resetType` through LongMsg: 0 for None,
    // 1 without sending for a value that names no reset.
    virtual int SendReset(int32_t resetType);
};

}  // namespace zema
