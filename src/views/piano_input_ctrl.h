#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

namespace zema {

// The floating on-screen keyboard. It shows three octaves; the octave offset
// moves the range (mouse wheel, Left/Right or Page Up/Down). Each key pressed
// with the mouse or the PC keyboard is reported to the owner, who sounds it;
// mouse presses are also offered for insertion as MML at the caret.
class CPianoInputCtrl final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kOctavesShown = 3;
    static constexpr int kDefaultOctaveOffset = 2;  // octaves 3 to 5
    static constexpr int kSmallestOctaveOffset = -1;
    static constexpr int kLargestOctaveOffset = 4;

    // A tool window owned by `parent`.
    explicit CPianoInputCtrl(QWidget* parent = nullptr);

    // `pressed` runs when a key goes down, `released` when it comes up again.
    void setNoteHandlers(std::function<void(int note)> pressed, std::function<void(int note)> released);
    // Runs after `pressed` for keys pressed with the mouse; the owner decides
    // whether to insert the note into the text.
    void setInsertHandler(std::function<void(int note)> insert);

    [[nodiscard]] int octaveOffset() const { return octaveOffset_; }
    // Moves the range, limited to the offsets above; updates the caption.
    void setOctaveOffset(int offset);
    [[nodiscard]] int lowestNote() const;   // note of the leftmost key
    [[nodiscard]] int highestNote() const;  // note of the rightmost key

    // Note of the key at a widget position, -1 when there is none.
    [[nodiscard]] int noteAt(QPoint position) const;
    // Rectangle of the key of `note`, empty when it is not shown.
    [[nodiscard]] QRect keyRect(int note) const;
    // Whether the key is held down (by the mouse or a PC key) or marked sounding.
    [[nodiscard]] bool isKeyLit(int note) const;

    // Lights a key for a note the player sounds, without reporting it.
    void setNoteSounding(int note, bool sounding);
    void clearSounding();
    // Sets the caption again in the current language.
    void retranslate() { updateCaption(); }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Key {
        int baseNote = 0;  // 0 for the leftmost C
        bool black = false;
        QRect rect;
    };

    void layoutKeys();
    void updateCaption();
    [[nodiscard]] int noteOfBase(int baseNote) const;
    [[nodiscard]] int baseNoteAt(QPoint position) const;
    void press(int note, bool insert);
    void release(int note);
    void releaseAll();
    // Note of a PC key, -1 when the key plays none.
    [[nodiscard]] int noteOfPcKey(int key) const;

    std::vector<Key> keys_;  // white keys first, then black ones (drawn on top)
    int octaveOffset_ = kDefaultOctaveOffset;
    int mouseNote_ = -1;                   // note held with the mouse
    std::array<int, 128> pressCount_{};    // holds per note (mouse and PC keys)
    std::array<bool, 128> sounding_{};     // lit by the player
    std::vector<std::pair<int, int>> pcKeysDown_;  // PC key, note it plays
    std::function<void(int)> pressed_;
    std::function<void(int)> released_;
    std::function<void(int)> insert_;
};

}  // namespace zema
