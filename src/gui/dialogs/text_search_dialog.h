#pragma once

#include <QDialog>
#include <QPoint>
#include <functional>
#include <optional>

#include "app/text_search.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zema {

// What the search dialog needs from the window it searches in.
struct TextSearchHost {
    std::function<ISearchEditor&()> editor;          // the current track's editor
    std::function<bool()> busy;                      // the song plays or is being saved
    std::function<void(const QString&)> inform;      // a message with the information icon
    std::function<void(const QString&)> notice;      // a note in the window's status bar
};

// "検索" / "検索・置換": the modeless search and replace dialog over the
// main window. Closing only hides it; it keeps its texts, options and place
// for the next time.
class CMMLTextSearch final : public QDialog {
    Q_OBJECT
public:
    CMMLTextSearch(TextSearch search, std::optional<DialogPosition> position, TextSearchHost host,
                   QWidget* parent = nullptr);

    // Shows the dialog for finding only or for replacing too, with the focus
    // in the text to search for.
    void showFor(bool replacing);
    // Texts in the loaded language again.
    void retranslate();
    // Enables the find and replace buttons as the busy state allows.
    void setBusy(bool busy);

    [[nodiscard]] const TextSearch& search() const { return search_; }
    [[nodiscard]] bool replacing() const { return replacing_; }
    // Where the dialog stands, or stood when it was last shown.
    [[nodiscard]] DialogPosition position() const;

    // The buttons.
    void findUp() { find(SearchDirection::Up); }
    void findDown() { find(SearchDirection::Down); }
    void replaceOne();
    void replaceAll();

    // For tests: the controls.
    [[nodiscard]] QComboBox& searchText() const { return *searchText_; }
    [[nodiscard]] QComboBox& replaceText() const { return *replaceText_; }
    [[nodiscard]] QCheckBox& matchCase() const { return *matchCase_; }
    [[nodiscard]] QRadioButton& selectionRange() const { return *selectionRange_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void find(SearchDirection direction);
    // Takes the options from the controls; false while the buttons must do nothing.
    bool takeOptions();
    // Shows what a button did and the histories it changed.
    void report(const SearchResult& result, const QString& needle, SearchDirection direction);
    void showHistories();
    void showRange();
    void applyMode();

    TextSearch search_;
    TextSearchHost host_;
    bool replacing_ = false;
    std::optional<QPoint> place_;  // where it stood when last hidden, or the stored place
    QComboBox* searchText_ = nullptr;
    QComboBox* replaceText_ = nullptr;
    QLabel* replaceLabel_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QGroupBox* range_ = nullptr;
    QRadioButton* selectionRange_ = nullptr;
    QRadioButton* trackRange_ = nullptr;
    QPushButton* findUp_ = nullptr;
    QPushButton* findDown_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* replaceAll_ = nullptr;
};

}  // namespace zema
