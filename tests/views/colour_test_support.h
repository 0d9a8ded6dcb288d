#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <cstdlib>

namespace zema::test {

// Channel-wise closeness, for blended pixels.
inline ::testing::AssertionResult near(QColor actual, QColor expected, int tolerance = 2)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance &&
        std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << ", expected "
                                         << expected.name().toStdString();
}

// `fill` at `alpha` over `background`.
inline QColor blend(QColor fill, QColor background, int alpha)
{
    auto channel = [&](int f, int b) { return (f * alpha + b * (255 - alpha) + 127) / 255; };
    return QColor(channel(fill.red(), background.red()), channel(fill.green(), background.green()),
                  channel(fill.blue(), background.blue()));
}

}  // namespace zema::test
