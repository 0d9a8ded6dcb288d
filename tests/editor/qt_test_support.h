#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace zema::test {

// The one application object the widget tests share, on Qt's offscreen
// platform so no display is needed. It is destroyed when the test program's
// environment is torn down, while Qt's own globals still exist.
class QtEnvironment final : public ::testing::Environment {
public:
    static QApplication& app()
    {
        if (!app_) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
        return *app_;
    }
    void TearDown() override { app_.reset(); }

private:
    static inline int argc_ = 1;
    static inline char name_[] = "zema-tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QApplication> app_;
};

inline QApplication& qtApp() { return QtEnvironment::app(); }

// Registers the environment once per test program.
inline const bool kQtEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);

}  // namespace zema::test
