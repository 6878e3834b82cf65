#pragma once
// Tests that drive desktop tools (Xvfb, openbox, xdotool, weston, the AT-SPI
// packages, dbus-daemon, ...) skip, saying what is missing, without them.
// Where every tool is installed on purpose (.ci/run sets
// K740_REQUIRE_DESKTOP_TOOLS=1) a missing one fails the test instead, so
// that a broken install cannot pass as a green run.
#include <QtGlobal>
#include <gtest/gtest.h>
#include <string>

inline bool DesktopToolsRequired()
{
    return qEnvironmentVariableIntValue("K740_REQUIRE_DESKTOP_TOOLS") == 1;
}

// Ends the test: skipped, or failed where the tools are required.
#define K740_SKIP_WITHOUT_TOOLS(message)                                                                               \
    do {                                                                                                               \
        const std::string k740Missing = (message);                                                                     \
        if (DesktopToolsRequired())                                                                                    \
            GTEST_FAIL() << k740Missing << " (K740_REQUIRE_DESKTOP_TOOLS is set)";                                     \
        else                                                                                                           \
            GTEST_SKIP() << k740Missing;                                                                               \
    } while (false)
