// The stand-in player's event log: one line per event, written through at
// once so that a test reading it meanwhile, or after a crash, sees every line.
#pragma once

#include <windows.h>

#include <string>

#include "owners.h"

namespace standin {

class HostLog {
 public:
  HostLog();
  ~HostLog();
  HostLog(const HostLog&) = delete;
  HostLog& operator=(const HostLog&) = delete;

  bool open(const std::string& path);
  // "<milliseconds since start> <text>" and CR LF. Safe from any thread.
  void line(const std::string& text);

 private:
  OwnedFile file_;
  CRITICAL_SECTION lock_;
  ULONGLONG start_;
};

// "0x" and the value in hexadecimal.
std::string hex(unsigned long long value);

}  // namespace standin
