// The stand-in encoder as a separate process beside a test, and what its log
// says it received.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "common/win32_handles.h"

namespace tavrik::testing {

using Lines = std::vector<std::string>;

std::string hexBytes(const std::string& text);

// What the Script panel's controls log for one delivery: of ANSI bytes, or,
// by an encoder started with --wide, of UTF-16.
Lines wholeDelivery(const std::string& text);
Lines wideDelivery(const std::u16string& text);

Lines operator+(Lines a, const Lines& b);

// The stand-in encoder, always ended with the test. A watchdog ends it early
// if the test has not finished in time: whatever waits on it then fails
// instead of hanging.
class StandinEncoder {
 public:
  StandinEncoder(const std::string& name, const std::string& options);
  ~StandinEncoder();

  bool started() const { return static_cast<bool>(process_); }
  Lines lines() const;
  // The messages only, without the stand-in's own remarks.
  Lines messages() const;
  // The texts set into the Script panel's fifth control, in arrival order.
  std::vector<std::string> texts() const;
  // The same from an encoder started with --wide.
  std::vector<std::u16string> wideTexts() const;
  bool waitFor(const std::string& wanted, DWORD milliseconds) const;
  bool waitUntilReady() const { return started() && waitFor("ready", 20000); }

 private:
  std::string log_;
  UniqueKernelHandle process_;
  UniqueKernelHandle stop_;
  std::thread watchdog_;
};

}  // namespace tavrik::testing
