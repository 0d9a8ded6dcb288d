#include "views/level_meter_ctrl.h"

#include <QPainter>

namespace zema {

namespace {

constexpr int kSegments = LevelMeterModel::kSilent;  // level 0 lights all 40, level 40 none

// Colour of segment i (0 = quietest) when lit.
QColor segmentColour(int segment)
{
    if (segment >= kSegments - 4) return QColor(240, 48, 48);
    if (segment >= kSegments - 12) return QColor(240, 210, 40);
    return QColor(60, 210, 90);
}

}  // namespace

CLevelMeterCtrl::CLevelMeterCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 18);
}

void CLevelMeterCtrl::Set(double leftDb, double rightDb, uint32_t nowMs)
{
    model_.Set(leftDb, rightDb, nowMs);
    update();
}

void CLevelMeterCtrl::Reset()
{
    model_.Reset();
    update();
}

void CLevelMeterCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(24, 24, 24));
    const int lamp = 10;
    const int barWidth = width() - lamp - 6;
    const int rowHeight = (height() - 3) / 2;
    const LevelMeterModel::Channel* channels[2] = {&model_.left(), &model_.right()};
    for (int row = 0; row < 2; ++row) {
        const LevelMeterModel::Channel& channel = *channels[row];
        const int top = 1 + row * (rowHeight + 1);
        const int lit = kSegments - channel.level;
        const int held = kSegments - channel.held;
        for (int segment = 0; segment < kSegments; ++segment) {
            const int left = 2 + segment * barWidth / kSegments;
            const int right = 2 + (segment + 1) * barWidth / kSegments - 1;
            const bool on = segment < lit || segment == held - 1;
            const QColor colour = segmentColour(segment);
            painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, top + rowHeight - 1)),
                             on ? colour : colour.darker(400));
        }
        painter.fillRect(QRect(width() - lamp - 2, top, lamp, rowHeight),
                         channel.over ? QColor(255, 40, 40) : QColor(70, 20, 20));
    }
}

}  // namespace zema
