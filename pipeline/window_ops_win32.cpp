#include "pipeline/window_ops_win32.h"

#include <optional>
#include <vector>

#include "common/win32_handles.h"

namespace tavrik {

WindowHandle Win32WindowOps::findTopLevel(const char* className) {
  return FindWindowA(className, nullptr);
}

WindowHandle Win32WindowOps::findChild(WindowHandle parent, WindowHandle after,
                                       const char* className, const char* name) {
  return FindWindowExA(static_cast<HWND>(parent), static_cast<HWND>(after), className, name);
}

SendResult Win32WindowOps::sendWaiting(SendWithTimeout sendWithTimeout, WindowHandle window,
                                       unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                       std::chrono::milliseconds wait) {
  // The sender is the plug-in's own thread, which owns no window: no
  // other thread or program sends to it, and it has nothing to answer while
  // it waits. SMTO_BLOCK says so and keeps it from being re-entered; the
  // host's own thread never waits here, so nothing that sends to the host
  // stalls behind the encoder.
  // SMTO_ABORTIFHUNG: an encoder that Windows already knows to be hung costs
  // nothing at all, not even the time-out.
  // Never SMTO_NOTIMEOUTIFNOTHUNG: a busy encoder would then hold the thread,
  // and with it quit, for as long as it takes.
  // The error is cleared first: a refusal by the system's message filter
  // (an encoder with higher rights) and a time-out both answer 0, and only
  // the code tells them apart.
  DWORD_PTR answer = 0;
  SetLastError(0);
  if (sendWithTimeout(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                      static_cast<UINT>(wait.count()), &answer) != 0) {
    return {true, 0};
  }
  return {false, GetLastError()};
}

SendResult Win32WindowOps::send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam, std::chrono::milliseconds wait) {
  return sendWaiting(&SendMessageTimeoutA, window, message, wParam, lParam, wait);
}

SendResult Win32WindowOps::sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam, std::chrono::milliseconds wait) {
  return sendWaiting(&SendMessageTimeoutW, window, message, wParam, lParam, wait);
}

namespace {

// The mandatory label's level of a process's token (the last sub-authority
// of its SID: 0x2000 medium, 0x3000 high); nothing when it cannot be read.
std::optional<DWORD> integrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
  UniqueKernelHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return std::nullopt;
  PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return std::nullopt;
  return *GetSidSubAuthority(sid, count - 1);
}

}  // namespace

RightsComparison Win32WindowOps::rightsOf(WindowHandle window) {
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(static_cast<HWND>(window), &processId)) return RightsComparison::unknown;
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return RightsComparison::unknown;
  std::optional<DWORD> theirs = integrityLevel(process.get());
  std::optional<DWORD> ours = integrityLevel(GetCurrentProcess());
  if (!theirs || !ours) return RightsComparison::unknown;
  return *theirs > *ours ? RightsComparison::higher : RightsComparison::sameOrLower;
}

}  // namespace tavrik
