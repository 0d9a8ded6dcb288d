#pragma once

// Waiting for a started program to be ready for a signal.

#include <QTest>
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

}  // namespace zema::test
