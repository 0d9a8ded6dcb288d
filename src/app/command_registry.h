#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace zema {

// What a window does for each command identifier: how to run it, whether it
// can run now, and whether its menu entry shows a tick. The areas of a window
// register their own commands; a command nobody registered is disabled.
// Idle-only commands (the command table says which) are disabled while the
// document is busy.
class CommandRegistry {
public:
    using Run = std::function<void(int32_t id)>;
    using State = std::function<bool(int32_t id)>;

    // Registers `run` for the identifiers first..last; `enabled` empty means
    // always enabled, `checked` empty means never ticked. A later
    // registration of the same first identifier replaces the earlier one.
    void addRange(int32_t first, int32_t last, Run run, State enabled = {}, State checked = {});
    void add(int32_t id, std::function<void()> run, std::function<bool()> enabled = {},
             std::function<bool()> checked = {});

    [[nodiscard]] bool contains(int32_t id) const { return find(id) != nullptr; }
    // Registered, its own rule allows it, and not idle-only while busy.
    [[nodiscard]] bool enabled(int32_t id, bool busy) const;
    [[nodiscard]] bool checked(int32_t id) const;
    // Runs the command when enabled(id, busy); true when it ran.
    bool run(int32_t id, bool busy) const;

private:
    struct Entry {
        int32_t last = 0;
        Run run;
        State enabled;
        State checked;
    };
    [[nodiscard]] const Entry* find(int32_t id) const;

    std::map<int32_t, Entry> entries_;  // by first identifier
};

}  // namespace zema
