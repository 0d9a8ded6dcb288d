#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/song.h"

namespace zema {

struct PlayerContext;

// The playback monitor: one 26-px row per track in display order, each a
// static band (track colour, "TRACK" and its number, INS, VEL, VOL and PAN in
// seven-segment digits) cached as one pixmap, with the live velocity bar and
// the sounding keys (notes 24 to 118) drawn over it while a player runs.
class CMidiMoniterCtrl final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowPitch = 26;
    static constexpr int kBandWidth = 317;
    static constexpr int kBandHeight = 27;
    static constexpr int kBarLeft = 108;

    using ProgramOf = std::function<int32_t(int32_t instrument)>;
    using Clock = std::function<uint32_t()>;

    explicit CMidiMoniterCtrl(QWidget* parent = nullptr);

    // The song whose track properties are shown; the rows follow its tab order.
    void setSong(const Song* song);
    void setProgramOf(ProgramOf programOf) { programOf_ = std::move(programOf); }
    // The player's arrays while it runs, null when stopped; `now` reads the
    // player's millisecond clock.
    void attach(const PlayerContext* context, Clock now);
    // Redraws the static band after a track's program, volume or panpot changed.
    void RefreshTrack();

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] const std::vector<int32_t>& rows() const { return rows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuildStatic();

    const Song* song_ = nullptr;
    const PlayerContext* context_ = nullptr;
    Clock now_;
    ProgramOf programOf_;
    std::vector<int32_t> rows_;  // track slots in display order
    QPixmap static_;
};

}  // namespace zema
