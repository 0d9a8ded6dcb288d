#pragma once

#include <QDialog>
#include <string_view>

namespace zema {

// "バージョン情報": the program's icon, name and version, the translator of
// the loaded language file, and the libraries it is built on with their
// versions and licenses.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    // `translatedBy` is the loaded language file's credit; empty for the
    // built-in language, which hides that line.
    explicit CAboutDlg(std::u16string_view translatedBy, QWidget* parent = nullptr);
};

}  // namespace zema
