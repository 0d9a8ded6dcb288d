// Work off the window thread: the result comes back, and a cancelled wait
// leaves the worker to end on its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <atomic>
#include <memory>

#include "editor/qt_test_support.h"
#include "gui/background_work.h"

namespace zema {
namespace {

TEST(BackgroundWork, ShortWorkReturnsItsResultWithoutADialog)
{
    (void)test::qtApp();
    CBackgroundWork work;
    bool dialogShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { dialogShown |= QApplication::activeModalWidget() != nullptr; });
    watch.start(1);
    const std::optional<int> result = work.run<int>(nullptr, "t", "l", "c", [] { return 42; });
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(dialogShown);
}

TEST(BackgroundWork, CancelStopsWaitingAndTheWorkerIsJoinedLater)
{
    (void)test::qtApp();
    // The dialog's Cancel button, and Escape.
    const std::function<void(QProgressDialog&)> ways[] = {
        [](QProgressDialog& dialog) { dialog.findChild<QPushButton*>()->click(); },
        [](QProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
    };
    for (const auto& cancel : ways) {
        auto release = std::make_shared<std::atomic<bool>>(false);
        auto finished = std::make_shared<std::atomic<bool>>(false);
        QString label;
        {
            CBackgroundWork work;
            // Once the progress dialog is up, cancel it.
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr || !label.isEmpty()) return;
                label = dialog->labelText();
                cancel(*dialog);
            });
            poll.start(20);
            const std::optional<int> result = work.run<int>(nullptr, "t", "Converting", "Cancel", [release, finished] {
                while (!release->load()) std::this_thread::yield();
                finished->store(true);
                return 1;
            });
            EXPECT_FALSE(result.has_value());
            EXPECT_EQ(label, QStringLiteral("Converting"));
            EXPECT_FALSE(finished->load());  // still waiting for its release
            // A second run while the first worker is still out.
            EXPECT_EQ(work.run<int>(nullptr, "t", "l", "c", [] { return 7; }), 7);
            release->store(true);
        }  // the destructor waits for the abandoned worker
        EXPECT_TRUE(finished->load());
    }
}

}  // namespace
}  // namespace zema
