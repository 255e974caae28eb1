// The stand-in player runs unattended: it ends itself after a set time
// whatever the UI thread is doing, and an unhandled exception is logged and
// ends it with its own exit code instead of waiting on an error box.
#pragma once

#include "host_log.h"
#include "owners.h"

namespace standin {

inline constexpr int kExitSafety = 3;
inline constexpr int kExitCrash = 4;

// Ends the process after `seconds`, even inside a modal dialog, unless it is
// destroyed before then.
class SafetyExit {
 public:
  SafetyExit(HostLog& log, unsigned long seconds);
  ~SafetyExit();
  SafetyExit(const SafetyExit&) = delete;
  SafetyExit& operator=(const SafetyExit&) = delete;

 private:
  static DWORD WINAPI run(void* param);

  HostLog& log_;
  unsigned long seconds_;
  OwnedHandle stop_;
  OwnedHandle thread_;
};

// From the first call on, an unhandled exception ends the process with
// kExitCrash, logged to `log` ("crash exception=... at ...") unless it is
// null; call again with null before the log goes.
void setCrashLog(HostLog* log);

}  // namespace standin
