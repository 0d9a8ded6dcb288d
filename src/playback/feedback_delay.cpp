#include "playback/feedback_delay.h"

#include <algorithm>

namespace zema {

void FeedbackDelay::configure(uint32_t sampleRate)
{
    const auto frames = std::max<size_t>(1, static_cast<size_t>(sampleRate * kDelaySeconds));
    left_.assign(frames, 0.0f);
    right_.assign(frames, 0.0f);
    position_ = 0;
}

void FeedbackDelay::clear()
{
    std::fill(left_.begin(), left_.end(), 0.0f);
    std::fill(right_.begin(), right_.end(), 0.0f);
    position_ = 0;
}

void FeedbackDelay::process(float* left, float* right, size_t frames)
{
    if (left_.empty()) return;
    for (size_t i = 0; i < frames; ++i) {
        const float echoLeft = left_[position_];
        const float echoRight = right_[position_];
        left_[position_] = left[i] + echoLeft * kFeedback;
        right_[position_] = right[i] + echoRight * kFeedback;
        left[i] += echoLeft * kWet;
        right[i] += echoRight * kWet;
        if (++position_ == left_.size()) position_ = 0;
    }
}

}  // namespace zema
