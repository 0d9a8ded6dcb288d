#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/mml_compiler.h"
#include "core/unicode.h"

namespace zema::test {

struct Compiled {
    EventList events;
    StateList states;

    // Events of one kind, in list order.
    [[nodiscard]] std::vector<TrackEvent> of(TrackEventKind kind) const
    {
        std::vector<TrackEvent> out;
        for (const TrackEvent& e : events)
            if (e.kind == kind) out.push_back(e);
        return out;
    }
    [[nodiscard]] std::vector<TrackEventKind> kinds() const
    {
        std::vector<TrackEventKind> out;
        for (const TrackEvent& e : events) out.push_back(e.kind);
        return out;
    }
    [[nodiscard]] const TrackEvent& end() const { return events.back(); }
};

// One member of each event, in order: a whole run compared in one expectation.
template <typename T>
[[nodiscard]] std::vector<T> each(const std::vector<TrackEvent>& events, T TrackEvent::*member)
{
    std::vector<T> out;
    for (const TrackEvent& e : events) out.push_back(e.*member);
    return out;
}

// Where an event's command starts and ends: line, column, line, column.
using Span = std::array<int32_t, 4>;
[[nodiscard]] inline Span span(const TrackEvent& e) { return {e.startLine, e.startColumn, e.endLine, e.endColumn}; }

inline Compiled compile(std::u16string_view text, TimingContext timing = {}, int32_t startTick = 0,
                        bool keepTies = false, bool stateToEvents = false)
{
    Compiled c;
    compileTrack(timing, text, c.events, c.states, startTick, keepTies, stateToEvents);
    return c;
}

inline Compiled compile(std::string_view utf8, TimingContext timing = {}, int32_t startTick = 0, bool keepTies = false,
                        bool stateToEvents = false)
{
    return compile(std::u16string_view(utf8ToUtf16(utf8)), timing, startTick, keepTies, stateToEvents);
}

}  // namespace zema::test
