#pragma once

#include <nlohmann/json.hpp>

#include "core/track_event.h"

namespace zema::cli {

// One event as a JSON object whose keys are the TrackEvent field names.
[[nodiscard]] nlohmann::ordered_json eventToJson(const TrackEvent& event);

// Prints each event as one JSON line on standard output.
void printEvents(const std::vector<TrackEvent>& events);

}  // namespace zema::cli
