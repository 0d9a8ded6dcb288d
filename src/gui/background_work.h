#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

class QWidget;

namespace zema {

// Long work off the window thread: the work runs on a worker thread while
// the window keeps painting; when it takes longer than a moment a modal
// progress dialog appears, whose Cancel stops waiting. The result is handed
// back on the window thread.
class CBackgroundWork {
public:
    CBackgroundWork() = default;
    // Waits for workers whose results were abandoned.
    ~CBackgroundWork();
    CBackgroundWork(const CBackgroundWork&) = delete;
    CBackgroundWork& operator=(const CBackgroundWork&) = delete;

    // How long the work may take before the progress dialog shows.
    static constexpr int kMomentMs = 400;

    // Runs `work` (which must not touch the window) and returns its result,
    // or nothing when the user cancelled; the abandoned worker then ends on
    // its own and its result is dropped. Until the dialog shows, the window
    // takes no input, so nothing can change under the work.
    template <class T>
    [[nodiscard]] std::optional<T> run(QWidget* parent, const QString& title, const QString& label,
                                       const QString& cancelText, std::function<T()> work)
    {
        auto result = std::make_shared<std::optional<T>>();
        const bool finished = wait(parent, title, label, cancelText, [result, work = std::move(work)] {
            *result = work();
        });
        if (!finished) return std::nullopt;
        return std::move(*result);
    }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    // Starts `job` on a worker and waits as run() describes; true when it finished.
    bool wait(QWidget* parent, const QString& title, const QString& label, const QString& cancelText,
              std::function<void()> job);
    // Joins the workers that have ended.
    void reap();

    std::vector<Worker> workers_;
};

}  // namespace zema
