// The real OBS Studio that tests/obs/obs-fixture.sh runs beside the Windows
// tests, as they reach it: its folder, port and password, commands of this
// machine's own (the fixture's and the test side's Python client), and what
// OBS shows in a source.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tavrik::testing::obs {

using Clock = std::chrono::steady_clock;

// The fixture's folder, as a Unix path for the commands.
std::string fixtureUnix();
// A file of the fixture's folder, as a Windows path.
std::string fixtureFile(const std::string& name);
std::string obsPassword();
std::string obsAddress();

// Runs a command of this machine's own and waits for it (a minute at most);
// true when it ended with 0. Its output goes to the fixture's log.
bool runOnHost(const std::string& command, unsigned long timeoutMs = 60000);
// Starts one and does not wait.
bool startOnHost(const std::string& command);

// `obs-fixture.sh ACTION DIR`: obs-stop, obs-start, obs-pause, obs-resume.
std::string fixtureCommand(const std::string& action);
// The test side's Python client with its arguments.
std::string clientCommand(const std::string& arguments);

// The source's text as OBS holds it; nothing when OBS could not tell.
std::optional<std::string> textInObs(const std::string& source);

// Polls OBS until the source shows `text`; when it was seen, or nothing
// when it was not within `limit`.
std::optional<Clock::time_point> waitForText(const std::string& source, const std::string& text,
                                             std::chrono::milliseconds limit = std::chrono::seconds(10));

// Lower-case hex digits of the bytes, as the client's watch-text writes them.
std::string hexOf(const std::string& bytes);

long long millisecondsBetween(Clock::time_point from, Clock::time_point to);

}  // namespace tavrik::testing::obs
