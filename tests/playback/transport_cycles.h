#pragma once

// One round of the transport commands as a player at the keyboard gives
// them, polling the controller the way the window's timer does: shared by
// the stress tests on the recording device and on a JACK port.

#include <chrono>
#include <functional>
#include <string>

#include "playback/player_controller.h"

namespace zema::test {

// Plays (looping on even cycles), seeks a measure on and back, pauses,
// resumes, goes back to the top and stops, waiting after each command until
// the player has taken it. "" or the step after which the player hung (no
// answer within a minute: a deadlock, not a slow machine).
inline std::string runTransportCycle(PlayerController& controller, int cycle, const std::function<void()>& idle)
{
    struct Step {
        const char* name;
        void (PlayerController::*command)();
        bool untilStopped;  // else until no longer busy
    };
    static constexpr Step kSteps[] = {
        {"play", &PlayerController::PlayCommand, false},
        {"next measure", &PlayerController::NextMeasure, false},
        {"previous measure", &PlayerController::PreviousMeasure, false},
        {"pause", &PlayerController::Pause, true},
        {"resume", &PlayerController::PlayCommand, false},
        {"back to top", &PlayerController::BackToTop, false},
        {"stop", &PlayerController::Stop, true},
    };
    controller.SetLoop(cycle % 2 == 0);
    for (const Step& step : kSteps) {
        (controller.*step.command)();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        for (;;) {
            controller.Poll();
            if (step.untilStopped ? !controller.playing() : !controller.busy()) break;
            if (std::chrono::steady_clock::now() > deadline) {
                return "cycle " + std::to_string(cycle) + ": no answer after " + step.name;
            }
            idle();
        }
    }
    return {};
}

}  // namespace zema::test
