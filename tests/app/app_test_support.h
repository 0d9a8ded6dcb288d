#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "app/settings_location.h"
#include "app/window_texts.h"
#include "cli_runner.h"
#include "core/strings.h"
#include "test_files.h"

namespace zema::test {

// The identifier line every language file carries in its [Information] section.
inline const std::string kLanguageVersionLine = "Version={6C578524-B2AA-4696-AE76-D491B55679E8}\n";

// An environment holding exactly the given variables.
inline EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    };
}

// Every test starts and ends in the built-in language, whatever it loaded.
class BuiltInLanguageTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        setStringOverrides(nullptr);
        setWindowTextOverrides(nullptr);
    }
};

}  // namespace zema::test
