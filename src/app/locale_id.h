#pragma once

#include <string>

#include "app/settings_location.h"
#include "document/locale_id.h"

namespace zema {

// The user's message locale as the C library would pick it: the first
// non-empty one of $LC_ALL, $LC_MESSAGES, $LANG; "" when none is set.
[[nodiscard]] std::string userLocaleTag(const EnvironmentLookup& environment);

}  // namespace zema
