#include "app/command_registry.h"

#include "app/command_table.h"

namespace zema {

void CommandRegistry::addRange(int32_t first, int32_t last, Run run, State enabled, State checked)
{
    entries_[first] = Entry{last, std::move(run), std::move(enabled), std::move(checked)};
}

void CommandRegistry::add(int32_t id, std::function<void()> run, std::function<bool()> enabled,
                          std::function<bool()> checked)
{
    State enabledState;
    if (enabled) enabledState = [f = std::move(enabled)](int32_t) { return f(); };
    State checkedState;
    if (checked) checkedState = [f = std::move(checked)](int32_t) { return f(); };
    addRange(id, id, [f = std::move(run)](int32_t) { f(); }, std::move(enabledState), std::move(checkedState));
}

const CommandRegistry::Entry* CommandRegistry::find(int32_t id) const
{
    auto found = entries_.upper_bound(id);
    if (found == entries_.begin()) return nullptr;
    --found;
    return id <= found->second.last && found->second.run ? &found->second : nullptr;
}

bool CommandRegistry::enabled(int32_t id, bool busy) const
{
    const Entry* entry = find(id);
    if (entry == nullptr) return false;
    const CommandInfo* info = findCommand(id);
    if (busy && info != nullptr && info->idleOnly) return false;
    return !entry->enabled || entry->enabled(id);
}

bool CommandRegistry::checked(int32_t id) const
{
    const Entry* entry = find(id);
    return entry != nullptr && entry->checked && entry->checked(id);
}

bool CommandRegistry::run(int32_t id, bool busy) const
{
    if (!enabled(id, busy)) return false;
    find(id)->run(id);
    return true;
}

}  // namespace zema
