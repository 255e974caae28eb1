#include "host_log.h"

#include <cstdio>

namespace standin {

HostLog::HostLog() : start_(GetTickCount64()) { InitializeCriticalSection(&lock_); }

HostLog::~HostLog() { DeleteCriticalSection(&lock_); }

bool HostLog::open(const std::string& path) {
  // Shared for reading and writing: a test reads it while the host runs.
  file_ = OwnedFile(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file_);
}

void HostLog::line(const std::string& text) {
  if (!file_) return;
  std::string out = std::to_string(GetTickCount64() - start_) + " " + text + "\r\n";
  EnterCriticalSection(&lock_);
  DWORD written = 0;
  WriteFile(file_.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  LeaveCriticalSection(&lock_);
}

std::string hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

}  // namespace standin
