#pragma once

// Starting the real program and waiting for it to be ready for a signal.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <sys/types.h>

namespace zema::test {

// True once process `pid` has a handler for `signal` (its SigCgt mask in
// /proc), waiting up to `timeoutMs`. A signal sent before that would end the
// program the default way, which says nothing about the program.
inline bool waitUntilCatches(pid_t pid, int signal, int timeoutMs = 20000)
{
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) != 0) continue;
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            if (mask & (1ULL << (signal - 1))) return true;
        }
        QTest::qWait(20);
    }
    return false;
}

// Starts the program offscreen on settings folder `config` with `files` to open.
inline void startProgram(QProcess& program, const std::filesystem::path& config, const QStringList& files = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    // Under the sanitizers, toolkit allocations alive at exit must not turn the exit status.
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    program.setProcessEnvironment(environment);
    program.start(ZEMA_GUI_PATH, QStringList{"--config-dir", QString::fromStdString(config.string())} + files);
    ASSERT_TRUE(program.waitForStarted(10000));
}

// Sends `signal` once the program's event loop runs (after `before`), and waits for its end.
inline void signalProgram(QProcess& program, int signal, const std::function<void()>& before = {})
{
    const auto pid = static_cast<pid_t>(program.processId());
    ASSERT_TRUE(waitUntilCatches(pid, SIGTERM));
    QTest::qWait(300);  // into the event loop
    if (before) before();
    ::kill(pid, signal);
    ASSERT_TRUE(program.waitForFinished(20000));
}

}  // namespace zema::test
