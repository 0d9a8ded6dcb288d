#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "app/new_document.h"
#include "editor/qt_test_support.h"
#include "playback/player_context.h"
#include "views/level_meter_ctrl.h"
#include "views/midi_monitor_ctrl.h"

namespace zema {
namespace {

QImage render(QWidget& widget)
{
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        (void)test::qtApp();
        Settings settings;
        settings.defaultTrackCount = 3;
        resetToNewDocument(song, settings);
        song.trackOrder = {2, 0, 1};  // rows follow the tab order
        monitorWidget = std::make_unique<CMidiMoniterCtrl>();
        monitorWidget->setSong(&song);
    }
    Song song;
    PlayerContext context;
    uint32_t now = 100000;
    std::unique_ptr<CMidiMoniterCtrl> monitorWidget;
};

TEST_F(MonitorTest, RowsFollowTheTabOrderAndSkipUnusedSlots)
{
    song.tracks[1].used = false;
    monitorWidget->RefreshTrack();
    EXPECT_EQ(monitorWidget->rows(), (std::vector<int32_t>{2, 0}));
    EXPECT_EQ(monitorWidget->sizeHint(), QSize(317, 26 + 27));
    EXPECT_EQ(monitorWidget->size(), monitorWidget->sizeHint());  // as a window it takes the rows' size
}

TEST_F(MonitorTest, VelocityBarAndSoundingKeysOfTheRightRow)
{
    monitorWidget->attach(&context, [this] { return now; });
    // Track 0 is the second row: a note of velocity 127 that still sounds.
    context.level[0] = 127;
    context.noteOnTime[0] = now;
    context.noteOffTime[0] = 0xFFFFFFFFu;
    context.lowNotes[0] = uint64_t{1} << 60;
    const int top = CMidiMoniterCtrl::kRowPitch;
    const QColor lit(82, 145, 255);
    const QColor unlit(45, 49, 128);
    QImage image = render(*monitorWidget);
    EXPECT_EQ(image.pixelColor(CMidiMoniterCtrl::kBarLeft + 2 * 59, top + 5), lit);  // all 60 segments
    EXPECT_EQ(image.pixelColor(CMidiMoniterCtrl::kBarLeft, 5), unlit);               // first row idle
    // Note 60 is the first white key of the fourth octave of the strip (from note 24).
    const int keyX = CMidiMoniterCtrl::kBarLeft + 3 * 7 * 3;
    EXPECT_EQ(image.pixelColor(keyX, top + 20), QColor(255, 0, 169));
    EXPECT_NE(image.pixelColor(keyX, 20), QColor(255, 0, 169));

    // Released 600 ms ago: the bar is empty.
    context.noteOffTime[0] = now;
    now += 600;
    image = render(*monitorWidget);
    EXPECT_EQ(image.pixelColor(CMidiMoniterCtrl::kBarLeft, top + 5), unlit);
}

TEST(LevelMeter, FullScaleLightsTheOverLampUntilReset)
{
    (void)test::qtApp();
    CLevelMeterCtrl meter;
    meter.Set(0.0, 100.0, 1000);
    QImage image = render(meter);
    const QColor lampOn(255, 40, 40);
    EXPECT_EQ(image.pixelColor(image.width() - 5, 4), lampOn);
    EXPECT_NE(image.pixelColor(image.width() - 5, image.height() - 4), lampOn);
    meter.Reset();
    image = render(meter);
    EXPECT_NE(image.pixelColor(image.width() - 5, 4), lampOn);
}

}  // namespace
}  // namespace zema
