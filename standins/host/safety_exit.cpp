#include "safety_exit.h"

#include <string>

namespace standin {

namespace {

HostLog* crashLog = nullptr;

LONG WINAPI onCrash(EXCEPTION_POINTERS* info) {
  if (crashLog)
    crashLog->line("crash exception=" + hex(info->ExceptionRecord->ExceptionCode) + " at " +
                   hex(reinterpret_cast<UINT_PTR>(info->ExceptionRecord->ExceptionAddress)));
  TerminateProcess(GetCurrentProcess(), kExitCrash);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

SafetyExit::SafetyExit(HostLog& log, unsigned long seconds)
    : log_(log), seconds_(seconds), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  thread_ = OwnedHandle(CreateThread(nullptr, 0, run, this, 0, nullptr));
}

SafetyExit::~SafetyExit() {
  SetEvent(stop_.get());
  if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI SafetyExit::run(void* param) {
  auto* self = static_cast<SafetyExit*>(param);
  if (WaitForSingleObject(self->stop_.get(), self->seconds_ * 1000) == WAIT_TIMEOUT) {
    self->log_.line("safety-exit after " + std::to_string(self->seconds_) + " s");
    TerminateProcess(GetCurrentProcess(), kExitSafety);
  }
  return 0;
}

void setCrashLog(HostLog* log) {
  crashLog = log;
  SetUnhandledExceptionFilter(onCrash);
}

}  // namespace standin
