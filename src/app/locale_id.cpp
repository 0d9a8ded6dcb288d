#include "app/locale_id.h"

namespace zema {

std::string userLocaleTag(const EnvironmentLookup& environment)
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const auto value = environment(name); value && !value->empty()) return *value;
    }
    return {};
}

}  // namespace zema
