#include "gui/translate.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>
#include <string>

#include "app/key_page.h"
#include "app/window_texts.h"
#include "core/strings.h"
#include "document/read_status.h"
#include "gui/qt_text.h"

namespace zema {

QString qtFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        if (const qsizetype open = name.lastIndexOf(QLatin1Char('(')); open > 0) name = name.left(open).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << name + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString withoutMnemonic(const QString& text) { return qt(menuTextWithoutMarkers(text.toStdU16String())); }

QString captionOfMenuText(const QString& text)
{
    QString caption = text;
    static const QRegularExpression marker(QStringLiteral("\\(&[^)]\\)\\s*$"));
    caption.remove(marker);
    return withoutMnemonic(caption).trimmed();
}

QString windowTextQ(std::u16string_view windowKey, std::string_view name)
{
    return qt(windowText(windowKey, name));
}

QString stringQ(std::string_view symbol) { return qt(loadString(symbol)); }

QString stringWithReadReason(std::string_view symbol, const ReadStatus& status)
{
    return qt(withReadReason(loadString(symbol), status));
}

namespace {

// The window's text for an object, or a null QString when the window has none.
QString textFor(std::u16string_view windowKey, const QObject* object)
{
    const QString name = object->objectName();
    if (name.isEmpty()) return {};
    const std::string ascii = name.toStdString();
    if (findWindowText(windowKey, ascii) == nullptr) return {};
    return windowTextQ(windowKey, ascii);
}

void translateAction(QAction* action, std::u16string_view windowKey)
{
    if (QMenu* sub = action->menu()) {
        translateMenu(sub, windowKey);
        return;
    }
    const QString text = textFor(windowKey, action);
    if (!text.isNull()) action->setText(text);
}

}  // namespace

void translateMenu(QMenu* menu, std::u16string_view windowKey)
{
    if (const QString title = textFor(windowKey, menu); !title.isNull()) menu->setTitle(title);
    for (QAction* action : menu->actions()) translateAction(action, windowKey);
}

void translateWindow(QWidget* window, std::u16string_view windowKey)
{
    if (const QString caption = textFor(windowKey, window); !caption.isNull()) window->setWindowTitle(caption);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        const QString text = textFor(windowKey, child);
        if (text.isNull()) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            button->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(child)) {
            label->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            group->setTitle(text);
        } else if (auto* menu = qobject_cast<QMenu*>(child)) {
            menu->setTitle(text);
        } else if (child->isWindow()) {
            child->setWindowTitle(text);
        }
    }
    for (QAction* action : window->findChildren<QAction*>()) translateAction(action, windowKey);
}

}  // namespace zema
