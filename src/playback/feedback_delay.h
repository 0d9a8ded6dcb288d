#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zema {

// The synthesizer's delay effect: a stereo echo whose repeats feed back into
// the line. FluidSynth has reverb and chorus but no delay, so the render path
// runs this after the synthesizer. Storage is reserved by configure(), never
// while rendering.
class FeedbackDelay {
public:
    static constexpr double kDelaySeconds = 0.25;
    static constexpr float kFeedback = 0.35f;  // share of each repeat fed back
    static constexpr float kWet = 0.3f;        // share of the echo in the output

    void configure(uint32_t sampleRate);
    void clear();
    // Adds the echo to both channels in place.
    void process(float* left, float* right, size_t frames);

    [[nodiscard]] size_t delayFrames() const { return left_.size(); }

private:
    std::vector<float> left_;
    std::vector<float> right_;
    size_t position_ = 0;
};

}  // namespace zema
