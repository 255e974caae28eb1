#include "obs_fixture.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "win_test_support.h"

namespace tavrik::testing::obs {

namespace {
std::string trimmedLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
}  // namespace

// The fixture's folder, as a Unix path for the commands and as a Windows
// path for reading its files.
std::string fixtureUnix() {
  const char* dir = getenv("TAVRIK_OBS_DIR");
  return dir ? dir : "";
}
std::string fixtureFile(const std::string& name) { return windowsPath(fixtureUnix() + "/" + name); }
std::string obsPassword() { return trimmedLine(readFileBytes(fixtureFile("password"))); }
std::string obsAddress() { return "127.0.0.1:" + trimmedLine(readFileBytes(fixtureFile("port"))); }

// Runs a command of this machine's own (Wine starts a Unix program as it
// is asked to, but gives no handle to wait for it on): the command says it
// has ended through a file. Its output goes to the fixture's log.
bool runOnHost(const std::string& command, unsigned long timeoutMs) {
  // Wine reuses small process ids: the time makes the name this run's own.
  static int count = 0;
  const std::string marker = fixtureUnix() + "/ended." + std::to_string(GetCurrentProcessId()) + "." +
                             std::to_string(GetTickCount64()) + "." + std::to_string(++count);
  std::string line = "Z:\\bin\\sh -c \"" + command + " >>" + fixtureUnix() + "/commands.log 2>&1; echo $? >" +
                     marker + ".part && mv " + marker + ".part " + marker + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  // The handles Wine gives back for a Unix program are none of the caller's
  // (waiting on them fails): closing them could close a handle that another
  // thread has just been given, such as a socket's.
  const std::string markerPath = windowsPath(marker);
  for (ULONGLONG end = GetTickCount64() + timeoutMs; GetTickCount64() < end; Sleep(50)) {
    if (GetFileAttributesA(markerPath.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const std::string status = trimmedLine(readFileBytes(markerPath));
    DeleteFileA(markerPath.c_str());
    if (status != "0") printf("ended with %s: %s\n", status.c_str(), command.c_str());
    return status == "0";
  }
  printf("did not end: %s\n", command.c_str());
  return false;
}

std::string fixtureCommand(const std::string& action) {
  const char* script = getenv("TAVRIK_OBS_FIXTURE");
  return std::string("sh ") + (script ? script : "") + " " + action + " " + fixtureUnix();
}
std::string clientCommand(const std::string& arguments) {
  const char* client = getenv("TAVRIK_OBS_CLIENT");
  return std::string("/usr/bin/python3 ") + (client ? client : "") + " --fixture " + fixtureUnix() + " " + arguments;
}

std::string hexOf(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) {
    text += digits[c >> 4];
    text += digits[c & 15];
  }
  return text;
}

// The source's text as OBS holds it; nothing when OBS could not tell.
std::optional<std::string> textInObs(const std::string& source) {
  const std::string out = fixtureUnix() + "/text-of-" + source;
  DeleteFileA(windowsPath(out).c_str());
  if (!runOnHost(clientCommand("get-text " + source + " --out " + out))) return std::nullopt;
  return readFileBytes(windowsPath(out));
}

// Polls OBS until the source shows `text`; when it was seen, or nothing
// when it was not within `limit`.
std::optional<Clock::time_point> waitForText(const std::string& source, const std::string& text,
                                             std::chrono::milliseconds limit) {
  const Clock::time_point start = Clock::now();
  while (Clock::now() - start < limit) {
    if (textInObs(source) == text) return Clock::now();
    Sleep(100);
  }
  return std::nullopt;
}

long long millisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

bool startOnHost(const std::string& command) {
  std::string line = "Z:\\bin\\sh -c \"" + command + " >>" + fixtureUnix() + "/commands.log 2>&1 &\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  // As in runOnHost, the handles given back are none of ours to close.
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
}

}  // namespace tavrik::testing::obs
