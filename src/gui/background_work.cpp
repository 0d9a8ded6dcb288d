#include "gui/background_work.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>

namespace zema {

namespace {
constexpr int kPollMs = 10;
}  // namespace

CBackgroundWork::~CBackgroundWork()
{
    for (Worker& worker : workers_) worker.thread.join();
}

void CBackgroundWork::reap()
{
    for (Worker& worker : workers_) {
        if (worker.done->load()) worker.thread.join();
    }
    std::erase_if(workers_, [](const Worker& worker) { return !worker.thread.joinable(); });
}

bool CBackgroundWork::wait(QWidget* parent, const QString& title, const QString& label, const QString& cancelText,
                           std::function<void()> job)
{
    reap();
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back({std::thread([done, job = std::move(job)] {
                           job();
                           done->store(true);
                       }),
                        done});

    // A moment without the dialog: painting goes on, input waits.
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done->load() || clock.elapsed() >= kMomentMs) loop.quit();
    });
    poll.start();
    if (!done->load()) loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!done->load()) {
        QProgressDialog progress(label, cancelText, 0, 0, parent);
        progress.setWindowTitle(title);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        bool cancelled = false;
        const auto cancel = [&] {
            cancelled = true;
            loop.quit();
        };
        // The Cancel button, and Escape, which rejects the dialog without its canceled().
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, cancel);
        QObject::connect(&progress, &QDialog::rejected, &loop, cancel);
        QObject::disconnect(&poll, nullptr, &loop, nullptr);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done->load()) loop.quit();
        });
        progress.show();
        loop.exec();
        if (cancelled && !done->load()) return false;
    }
    const auto mine = std::find_if(workers_.begin(), workers_.end(),
                                   [&](const Worker& worker) { return worker.done == done; });
    mine->thread.join();
    workers_.erase(mine);
    return true;
}

}  // namespace zema
