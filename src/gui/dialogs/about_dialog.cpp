#include "gui/dialogs/about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/about_box.h"
#include "app/window_texts.h"
#include "gui/dialogs/config_page_support.h"

namespace zema {

namespace {

QLabel* textLabel(const char* symbol, const std::u16string& text)
{
    auto* label = namedWidget<QLabel>(symbol, qt(text));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(std::u16string_view translatedBy, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IDD_ABOUTBOX"));
    std::vector<LibraryVersion> libraries{{"Qt", qVersion(), LibraryLicense::Lgpl3}};
    for (LibraryVersion& library : linkedLibraryVersions()) libraries.push_back(std::move(library));
    const AboutBoxTexts texts = aboutBoxTexts(translatedBy, libraries);
    setWindowTitle(qt(texts.caption));

    auto* icon = namedWidget<QLabel>("IDC_ICON_APP");
    const int side = fontMetrics().height() * 4;
    icon->setPixmap(QApplication::windowIcon().pixmap(side, side));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = textLabel("IDC_TXT_APP_NAME", texts.name);
    QFont large = name->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    name->setFont(large);

    auto* column = new QVBoxLayout;
    column->addWidget(name);
    column->addWidget(textLabel("IDC_TXT_VERSION", texts.version));
    column->addWidget(textLabel("IDC_TXT_COPYRIGHT", texts.copyright));
    auto* translator = textLabel("IDC_TXT_TRANSLATOR", texts.translator);
    translator->setVisible(!texts.translator.empty());
    column->addWidget(translator);
    column->addSpacing(fontMetrics().height());
    column->addWidget(textLabel("IDC_STATIC_ABOUT_LIBRARIES", texts.librariesHeading));
    QStringList lines;
    for (const std::u16string& line : texts.libraries) lines << qt(line);
    auto* list = namedWidget<QLabel>("IDC_TXT_ABOUT_LIBRARY_LIST", lines.join(QLatin1Char('\n')));
    list->setTextInteractionFlags(Qt::TextSelectableByMouse);
    list->setContentsMargins(fontMetrics().averageCharWidth() * 2, 0, 0, 0);
    column->addWidget(list);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(fontMetrics().averageCharWidth() * 2);
    top->addLayout(column, 1);

    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton(qt(windowText(u"About Box", "IDOK")), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zema
