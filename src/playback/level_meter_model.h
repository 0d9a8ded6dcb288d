#pragma once

#include <array>
#include <cstdint>

namespace zema {

// The stereo level meter's state, without drawing: per channel a level 0..40
// (0 = full scale, 40 = -40 dB or quieter), an over flag and a held peak that
// falls back one step every 200 ms.
class LevelMeterModel {
public:
    static constexpr int32_t kSilent = 40;
    static constexpr uint32_t kHoldStepMilliseconds = 200;

    struct Channel {
        int32_t level = kSilent;
        bool over = false;
        int32_t held = kSilent;
        uint32_t heldTime = 0;  // ms when `held` last changed
    };

    // Takes the attenuations (positive dB below full scale, 100 for silence)
    // of both channels at time `nowMs`.
    void Set(double leftDb, double rightDb, uint32_t nowMs);
    void Reset();

    [[nodiscard]] const Channel& left() const { return channels_[0]; }
    [[nodiscard]] const Channel& right() const { return channels_[1]; }

    // The level of an attenuation: 0..6 dB in tenths of 6, 6..20 dB over
    // levels 10..19, 20..40 dB one level per dB, 40 and more silent.
    [[nodiscard]] static int32_t levelOfDecibels(double db);

private:
    static void update(Channel& channel, double db, uint32_t nowMs);
    std::array<Channel, 2> channels_{};
};

}  // namespace zema
