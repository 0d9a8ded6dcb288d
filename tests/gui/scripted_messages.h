#pragma once

#include <QMessageBox>
#include <QString>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

namespace zema::test {

// Message boxes answered by a script: every message is recorded, and each is
// answered from `answers` in turn (OK once the queue is empty).
struct ScriptedMessages {
    struct Message {
        QMessageBox::Icon icon;
        QString text;
        friend bool operator==(const Message&, const Message&) = default;
        friend void PrintTo(const Message& m, std::ostream* os) { *os << m.icon << " " << m.text.toStdString(); }
    };
    using Messages = std::vector<Message>;
    Messages messages;
    std::deque<QMessageBox::StandardButton> answers;

    [[nodiscard]] std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&,
                                                            QMessageBox::StandardButtons, QMessageBox::StandardButton)>
    prompt()
    {
        return [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons,
                      QMessageBox::StandardButton) {
            messages.push_back({icon, text});
            if (answers.empty()) return QMessageBox::Ok;
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        };
    }
};

}  // namespace zema::test
