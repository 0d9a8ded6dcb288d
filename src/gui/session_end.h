#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zema {

// Turns SIGTERM and SIGINT into a call on the UI thread. The signal handler
// only writes one byte into a pipe; the pipe's notifier runs `onSignal` from
// the event loop, where it may save and quit. One watcher per process.
class SessionEndWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(std::function<void()> onSignal, QObject* parent = nullptr);
    ~SessionEndWatcher() override;
    SessionEndWatcher(const SessionEndWatcher&) = delete;
    SessionEndWatcher& operator=(const SessionEndWatcher&) = delete;

private:
    void drain();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;  // owned by this object
    bool handled_ = false;
};

}  // namespace zema
