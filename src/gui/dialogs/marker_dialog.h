#pragma once

#include <QDialog>

class QLineEdit;

namespace zema {

// "マーカー作成" / "マーカー編集": a marker's name, its position, and (when
// editing) "削除(&D)", which closes the dialog with kDeleteResult.
class CMMLMarkerDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDeleteResult = 2;

    CMMLMarkerDlg(bool editing, const QString& name, const QString& position, QWidget* parent = nullptr);

    [[nodiscard]] QString name() const;
    [[nodiscard]] QLineEdit& nameField() const { return *name_; }

private:
    QLineEdit* name_ = nullptr;
};

}  // namespace zema
