#include "views/midi_monitor_ctrl.h"

#include <QPainter>

#include "playback/midi_monitor_model.h"
#include "playback/player_context.h"
#include "views/track_colours.h"

namespace zema {

namespace {

const QColor kLit(82, 145, 255);
const QColor kUnlit(45, 49, 128);
const QColor kSounding(255, 0, 169);
constexpr int kDigitWidth = 7;
constexpr int kDigitHeight = 11;

// Segments a..g of the digits 0..9 as bits 0..6.
constexpr uint8_t kSegmentsOf[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void drawDigit(QPainter& painter, int x, int y, int digit, const QColor& colour)
{
    const uint8_t bits = kSegmentsOf[digit % 10];
    const int w = kDigitWidth - 1;
    const int h = (kDigitHeight - 1) / 2;
    const QLine segments[7] = {
        {x + 1, y, x + w - 1, y},                  // a
        {x + w, y + 1, x + w, y + h - 1},          // b
        {x + w, y + h + 1, x + w, y + 2 * h - 1},  // c
        {x + 1, y + 2 * h, x + w - 1, y + 2 * h},  // d
        {x, y + h + 1, x, y + 2 * h - 1},          // e
        {x, y + 1, x, y + h - 1},                  // f
        {x + 1, y + h, x + w - 1, y + h},          // g
    };
    painter.setPen(colour);
    for (int s = 0; s < 7; ++s) {
        if (bits & (1u << s)) painter.drawLine(segments[s]);
    }
}

void drawValue(QPainter& painter, int x, int y, int32_t value)
{
    const monitor::Digits digits = monitor::digitsOf(value);
    for (int i = 0; i < 3; ++i) {
        drawDigit(painter, x + i * (kDigitWidth + 2), y, digits.digit[static_cast<size_t>(i)],
                  digits.lit[static_cast<size_t>(i)] ? kLit : kUnlit);
    }
}

// The key strip sits under the velocity bar: white keys 3 px apart from the
// bar's left edge, black keys shorter, between them.
struct KeyRect {
    QRect rect;
    bool black = false;
};

KeyRect keyRect(int note, int top)
{
    static constexpr int kWhiteBefore[12] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
    static constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    const int octave = note / 12 - monitor::kFirstKey / 12;
    const int white = octave * 7 + kWhiteBefore[note % 12];
    const int x = CMidiMoniterCtrl::kBarLeft + white * 3;
    if (kBlack[note % 12]) return {QRect(x - 1, top + 11, 2, 7), true};
    return {QRect(x, top + 11, 2, 12), false};
}

void drawKey(QPainter& painter, const KeyRect& key, const QColor& colour) { painter.fillRect(key.rect, colour); }

}  // namespace

CMidiMoniterCtrl::CMidiMoniterCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMidiMoniterCtrl::setSong(const Song* song)
{
    song_ = song;
    RefreshTrack();
}

void CMidiMoniterCtrl::attach(const PlayerContext* context, Clock now)
{
    context_ = context;
    now_ = std::move(now);
    update();
}

QSize CMidiMoniterCtrl::sizeHint() const
{
    const int count = std::max<int>(1, static_cast<int>(rows_.size()));
    return {kBandWidth, (count - 1) * kRowPitch + kBandHeight};
}

void CMidiMoniterCtrl::RefreshTrack()
{
    rows_.clear();
    if (song_) {
        for (int32_t slot : song_->trackOrder) {
            if (slot >= 0 && slot < kTrackCount && song_->tracks[static_cast<size_t>(slot)].used) rows_.push_back(slot);
        }
    }
    rebuildStatic();
    updateGeometry();
    if (isWindow()) resize(sizeHint());  // a tool window grows and shrinks with its rows
    update();
}

void CMidiMoniterCtrl::rebuildStatic()
{
    const QSize size = sizeHint();
    static_ = QPixmap(size);
    static_.fill(QColor(16, 16, 32));
    QPainter painter(&static_);
    QFont font = painter.font();
    font.setPixelSize(8);
    font.setBold(true);
    painter.setFont(font);
    for (size_t row = 0; row < rows_.size(); ++row) {
        const int32_t slot = rows_[row];
        const Track& track = song_->tracks[static_cast<size_t>(slot)];
        const TrackColours& colours = trackColourTable()[static_cast<size_t>(slot)];
        const int top = static_cast<int>(row) * kRowPitch;
        painter.setPen(QColor(90, 90, 120));
        painter.setBrush(QColor(0, 0, 24));
        painter.drawRect(0, top, kBandWidth - 1, kBandHeight - 1);
        painter.setPen(colours.pen);
        painter.setBrush(colours.fill);
        painter.drawRect(2, top + 2, 7, kBandHeight - 5);

        const int32_t program = programOf_ ? programOf_(track.instrument) : track.instrument;
        const struct {
            const char* label;
            int32_t value;
            int x;
        } fields[] = {{"TRACK", slot + 1, 12},
                      {"INS", monitor::instrumentNumber(program), 44},
                      {"VOL", track.volume, 76},
                      {"PAN", track.panpot, 286}};
        for (const auto& field : fields) {
            painter.setPen(kLit);
            painter.drawText(field.x, top + 9, QString::fromLatin1(field.label));
            drawValue(painter, field.x, top + 12, field.value);
        }
        painter.setPen(kLit);
        painter.drawText(kBarLeft + monitor::kMaxSegments * 2 + 4, top + 9, QStringLiteral("VEL"));
        // Unlit velocity segments and the idle keys.
        painter.setPen(kUnlit);
        for (int segment = 0; segment < monitor::kMaxSegments; ++segment) {
            painter.drawLine(kBarLeft + segment * 2, top + 3, kBarLeft + segment * 2, top + 7);
        }
        for (int pass = 0; pass < 2; ++pass) {  // white keys first, black keys over them
            for (int note = monitor::kFirstKey; note <= monitor::kLastKey; ++note) {
                const KeyRect key = keyRect(note, top);
                if (key.black == (pass == 1)) drawKey(painter, key, key.black ? QColor(40, 40, 60) : QColor(200, 200, 210));
            }
        }
    }
}

void CMidiMoniterCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(16, 16, 32));
    painter.drawPixmap(0, 0, static_);
    if (!context_ || !now_) return;
    const uint32_t now = now_();
    for (size_t row = 0; row < rows_.size(); ++row) {
        const auto track = static_cast<size_t>(rows_[row]);
        const int top = static_cast<int>(row) * kRowPitch;
        const int32_t segments =
            monitor::velocitySegments(context_->level[track].load(std::memory_order_relaxed),
                                      context_->noteOnTime[track].load(std::memory_order_relaxed),
                                      context_->noteOffTime[track].load(std::memory_order_relaxed), now);
        painter.setPen(kLit);
        for (int segment = 0; segment < segments; ++segment) {
            painter.drawLine(kBarLeft + segment * 2, top + 3, kBarLeft + segment * 2, top + 7);
        }
        const uint64_t high = context_->highNotes[track].load(std::memory_order_relaxed);
        const uint64_t low = context_->lowNotes[track].load(std::memory_order_relaxed);
        if (high == 0 && low == 0) continue;
        for (int note = monitor::kFirstKey; note <= monitor::kLastKey; ++note) {
            if (monitor::noteSounds(high, low, note)) drawKey(painter, keyRect(note, top), kSounding);
        }
    }
}

}  // namespace zema
