#include "views/piano_input_ctrl.h"

#include "core/strings.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <iterator>
#include <utility>

#include "app/piano_input_text.h"

namespace zema {

namespace {

constexpr int kWhiteKeysPerOctave = 7;
constexpr int kWhiteKeyWidth = 16;
constexpr int kKeyHeight = 72;
// Semitones of the white keys within an octave, and of the black key right of
// each white key (-1 where there is none).
constexpr int kWhiteSemitones[kWhiteKeysPerOctave] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kBlackRightOf[kWhiteKeysPerOctave] = {1, 3, -1, 6, 8, 10, -1};

// PC keys in the two rows of a tracker layout: the bottom row plays the lowest
// octave shown, the top row the next one.
constexpr int kLowerRow[] = {Qt::Key_Z, Qt::Key_S, Qt::Key_X, Qt::Key_D, Qt::Key_C, Qt::Key_V, Qt::Key_G,
                             Qt::Key_B, Qt::Key_H, Qt::Key_N, Qt::Key_J, Qt::Key_M, Qt::Key_Comma};
constexpr int kUpperRow[] = {Qt::Key_Q, Qt::Key_2, Qt::Key_W, Qt::Key_3, Qt::Key_E, Qt::Key_R, Qt::Key_5,
                             Qt::Key_T, Qt::Key_6, Qt::Key_Y, Qt::Key_7, Qt::Key_U, Qt::Key_I};

}  // namespace

CPianoInputCtrl::CPianoInputCtrl(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kOctavesShown * kWhiteKeysPerOctave * 8, 40);
    resize(sizeHint());
    layoutKeys();
    updateCaption();
}

QSize CPianoInputCtrl::sizeHint() const
{
    return {kOctavesShown * kWhiteKeysPerOctave * kWhiteKeyWidth + 1, kKeyHeight};
}

void CPianoInputCtrl::setNoteHandlers(std::function<void(int)> pressed, std::function<void(int)> released)
{
    pressed_ = std::move(pressed);
    released_ = std::move(released);
}

void CPianoInputCtrl::setInsertHandler(std::function<void(int)> insert) { insert_ = std::move(insert); }

void CPianoInputCtrl::setOctaveOffset(int offset)
{
    offset = std::clamp(offset, kSmallestOctaveOffset, kLargestOctaveOffset);
    if (offset == octaveOffset_) return;
    octaveOffset_ = offset;
    updateCaption();
    update();
}

int CPianoInputCtrl::noteOfBase(int baseNote) const { return baseNote + (6 - octaveOffset_) * 12; }

int CPianoInputCtrl::lowestNote() const { return noteOfBase(0); }

int CPianoInputCtrl::highestNote() const { return noteOfBase(kOctavesShown * 12 - 1); }

void CPianoInputCtrl::updateCaption()
{
    const int lowestOctave = lowestNote() / 12 - 1;
    const int highestOctave = highestNote() / 12 - 1;
    const std::u16string title = loadString("IDS_PNI_TITLE");
    setWindowTitle(QString::fromStdU16String(title) +
                   QStringLiteral(" Octave %1 - Octave %2").arg(lowestOctave).arg(highestOctave));
}

void CPianoInputCtrl::layoutKeys()
{
    keys_.clear();
    const int whiteCount = kOctavesShown * kWhiteKeysPerOctave;
    const int usable = std::max(whiteCount, width() - 1);
    const int keyHeight = std::max(1, height() - 1);
    auto whiteLeft = [&](int index) { return index * usable / whiteCount; };
    for (int index = 0; index < whiteCount; ++index) {
        const int octave = index / kWhiteKeysPerOctave;
        const int base = octave * 12 + kWhiteSemitones[index % kWhiteKeysPerOctave];
        keys_.push_back({base, false, QRect(QPoint(whiteLeft(index), 0), QPoint(whiteLeft(index + 1), keyHeight))});
    }
    for (int index = 0; index < whiteCount; ++index) {
        const int semitone = kBlackRightOf[index % kWhiteKeysPerOctave];
        if (semitone < 0) continue;
        const int base = (index / kWhiteKeysPerOctave) * 12 + semitone;
        const int boundary = whiteLeft(index + 1);
        const int halfWidth = std::max(2, (whiteLeft(index + 1) - whiteLeft(index)) * 3 / 10);
        keys_.push_back({base, true, QRect(QPoint(boundary - halfWidth, 0), QPoint(boundary + halfWidth, keyHeight * 6 / 10))});
    }
}

int CPianoInputCtrl::baseNoteAt(QPoint position) const
{
    // Black keys lie on top of the white ones, so they are hit first.
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) {
        if (it->rect.contains(position)) return it->baseNote;
    }
    return -1;
}

int CPianoInputCtrl::noteAt(QPoint position) const
{
    const int base = baseNoteAt(position);
    return base < 0 ? -1 : noteOfBase(base);
}

QRect CPianoInputCtrl::keyRect(int note) const
{
    for (const Key& key : keys_) {
        if (noteOfBase(key.baseNote) == note) return key.rect;
    }
    return {};
}

bool CPianoInputCtrl::isKeyLit(int note) const
{
    if (note < 0 || note > 127) return false;
    return pressCount_[static_cast<size_t>(note)] > 0 || sounding_[static_cast<size_t>(note)];
}

void CPianoInputCtrl::setNoteSounding(int note, bool sounding)
{
    if (note < 0 || note > 127 || sounding_[static_cast<size_t>(note)] == sounding) return;
    sounding_[static_cast<size_t>(note)] = sounding;
    update(keyRect(note));
}

void CPianoInputCtrl::clearSounding()
{
    sounding_.fill(false);
    update();
}

void CPianoInputCtrl::press(int note, bool insert)
{
    if (note < 0 || note > 127) return;
    ++pressCount_[static_cast<size_t>(note)];
    update();
    if (pressed_) pressed_(note);
    if (insert && insert_) insert_(note);
}

void CPianoInputCtrl::release(int note)
{
    if (note < 0 || note > 127 || pressCount_[static_cast<size_t>(note)] == 0) return;
    --pressCount_[static_cast<size_t>(note)];
    update();
    if (released_) released_(note);
}

void CPianoInputCtrl::releaseAll()
{
    if (mouseNote_ >= 0) release(std::exchange(mouseNote_, -1));
    for (const auto& [key, note] : std::exchange(pcKeysDown_, {})) release(note);
}

int CPianoInputCtrl::noteOfPcKey(int key) const
{
    for (int i = 0; i < static_cast<int>(std::size(kLowerRow)); ++i) {
        if (kLowerRow[i] == key) return noteOfBase(i);
        if (kUpperRow[i] == key) return noteOfBase(12 + i);
    }
    return -1;
}

bool CPianoInputCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int note = noteAt(help->pos());
        if (note >= 0) QToolTip::showText(help->globalPos(), QString::fromStdString(pianoKeyLabel(note)), this);
        else QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CPianoInputCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(40, 40, 40));
    QFont label = font();
    label.setPixelSize(9);
    painter.setFont(label);
    for (const Key& key : keys_) {
        const int note = noteOfBase(key.baseNote);
        const bool lit = isKeyLit(note);
        QColor fill = key.black ? QColor(24, 24, 24) : QColor(248, 248, 248);
        if (lit) fill = key.black ? QColor(60, 100, 190) : QColor(150, 190, 240);
        painter.setPen(QColor(96, 96, 96));
        painter.setBrush(fill);
        painter.drawRect(key.rect.adjusted(0, 0, -1, 0));
        if (!key.black && note % 12 == 0) {
            // Octave number on each C, as the MML o command counts it.
            painter.setPen(QColor(110, 110, 110));
            painter.drawText(key.rect.adjusted(0, 0, 0, -3), Qt::AlignHCenter | Qt::AlignBottom,
                             QString::number(note / 12 - 1));
        }
    }
}

void CPianoInputCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutKeys();
}

void CPianoInputCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || mouseNote_ >= 0) return;
    // Qt keeps the mouse grabbed by this widget until the button is released.
    const int note = noteAt(event->position().toPoint());
    if (note < 0) return;
    mouseNote_ = note;
    press(note, true);
}

void CPianoInputCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || mouseNote_ < 0) return;
    release(std::exchange(mouseNote_, -1));
}

void CPianoInputCtrl::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta > 0) setOctaveOffset(octaveOffset_ - 1);
    else if (delta < 0) setOctaveOffset(octaveOffset_ + 1);
    event->accept();
}

void CPianoInputCtrl::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_PageDown: setOctaveOffset(octaveOffset_ + 1); return;
    case Qt::Key_Right:
    case Qt::Key_PageUp: setOctaveOffset(octaveOffset_ - 1); return;
    default: break;
    }
    const int note = noteOfPcKey(event->key());
    if (note < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat()) return;
    const bool held = std::any_of(pcKeysDown_.begin(), pcKeysDown_.end(),
                                  [&](const auto& down) { return down.first == event->key(); });
    if (held) return;
    pcKeysDown_.emplace_back(event->key(), note);
    press(note, false);
}

void CPianoInputCtrl::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) return;
    const auto it = std::find_if(pcKeysDown_.begin(), pcKeysDown_.end(),
                                 [&](const auto& down) { return down.first == event->key(); });
    if (it == pcKeysDown_.end()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    const int note = it->second;
    pcKeysDown_.erase(it);
    release(note);
}

void CPianoInputCtrl::hideEvent(QHideEvent* event)
{
    // A key held while the window goes away must not keep sounding.
    releaseAll();
    QWidget::hideEvent(event);
}

}  // namespace zema
