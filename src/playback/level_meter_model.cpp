#include "playback/level_meter_model.h"

namespace zema {

int32_t LevelMeterModel::levelOfDecibels(double db)
{
    if (db < 0) db = 0;
    if (db < 6) return static_cast<int32_t>(db * 10 / 6);
    if (db < 20) return 10 + static_cast<int32_t>(10 * (db - 6) / 14);
    if (db < 40) return static_cast<int32_t>(db);
    return kSilent;
}

void LevelMeterModel::update(Channel& channel, double db, uint32_t nowMs)
{
    channel.level = levelOfDecibels(db);
    if (db == 0) {
        channel.over = true;
        channel.level = 0;
    }
    if (channel.level <= channel.held) {
        channel.held = channel.level;
        channel.heldTime = nowMs;
    } else if (nowMs - channel.heldTime > kHoldStepMilliseconds) {
        channel.heldTime = nowMs;
        if (channel.held < kSilent) ++channel.held;
    }
}

void LevelMeterModel::Set(double leftDb, double rightDb, uint32_t nowMs)
{
    update(channels_[0], leftDb, nowMs);
    update(channels_[1], rightDb, nowMs);
}

void LevelMeterModel::Reset()
{
    channels_ = {};
}

}  // namespace zema
