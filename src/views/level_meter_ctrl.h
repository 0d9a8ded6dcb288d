#pragma once

#include <QWidget>

#include "playback/level_meter_model.h"

namespace zema {

// The stereo level meter: two horizontal bars of 40 segments (green, then
// yellow and red towards full scale), a held-peak segment per channel and an
// over lamp at the right end that stays lit until Reset.
class CLevelMeterCtrl final : public QWidget {
    Q_OBJECT
public:
    explicit CLevelMeterCtrl(QWidget* parent = nullptr);

    // Attenuations in dB below full scale (100 for silence) at `nowMs`.
    void Set(double leftDb, double rightDb, uint32_t nowMs);
    void Reset();
    [[nodiscard]] const LevelMeterModel& model() const { return model_; }

    [[nodiscard]] QSize sizeHint() const override { return {180, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LevelMeterModel model_;
};

}  // namespace zema
