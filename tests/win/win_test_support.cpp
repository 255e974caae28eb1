#include "win_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/unicode_codec.h"
#include "common/win32_handles.h"
#include "resources/resource_ids.h"

namespace tavrik::testing {

std::string windowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string environmentPath(const char* variable) {
  const char* value = std::getenv(variable);
  return windowsPath(value ? value : "/tmp");
}

std::string buildPath(const std::string& relative) {
  const char* bin = std::getenv("TAVRIK_BIN");
  return windowsPath(std::string(bin ? bin : ".") + "/" + relative);
}

std::string freshFolder(const std::string& name) {
  const char* tmp = std::getenv("TAVRIK_TEST_TMP");
  std::string folder = windowsPath(std::string(tmp ? tmp : "/tmp") + "/" + name);
  std::string command = "cmd /c rmdir /s /q \"" + folder + "\" >nul 2>nul";
  std::system(command.c_str());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> hostEvents(const std::string& log) {
  std::vector<std::string> events;
  for (const std::string& line : splitLines(log)) events.push_back(line.substr(line.find(' ') + 1));
  return events;
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::wstring longPath(const std::string& path) {
  int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
  return L"\\\\?\\" + wide;
}

}  // namespace

std::string readLongPathFile(const std::string& path) {
  UniqueFile file(CreateFileW(longPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "(no file)";
  std::string bytes;
  char chunk[4096];
  for (DWORD got = 0; ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0;) {
    bytes.append(chunk, got);
  }
  return bytes;
}

void writeLongPathFile(const std::string& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(longPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

struct Search {
  DWORD process;
  const std::string& className;
  const std::string& title;
  HWND found = nullptr;
};

std::string windowText(HWND window) {
  char text[2048] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if ((search->process == 0 || process == search->process) && search->className == className &&
      IsWindowVisible(window) && (search->title.empty() || windowText(window) == search->title)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND findTopWindow(DWORD process, const std::string& className, const std::string& title) {
  Search search{process, className, title};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForWindow(DWORD process, const std::string& className, DWORD timeoutMs,
                   const std::string& title) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    if (HWND found = findTopWindow(process, className, title)) return found;
    Sleep(20);
  }
  return nullptr;
}

MessageBoxWatcher::MessageBoxWatcher() : MessageBoxWatcher(false, "") {}

MessageBoxWatcher::MessageBoxWatcher(bool anyProcess, const std::string& title) {
  InitializeCriticalSection(&lock_);
  DWORD process = anyProcess ? 0 : GetCurrentProcessId();
  // A box that is not the one watched for must not hide it: with a title,
  // only boxes of that title are looked at.
  thread_ = std::thread([this, process, title] {
    while (!stop_) {
      HWND box = findTopWindow(process, "#32770", title);
      // Only message boxes: they carry their text in a static of id 0xFFFF.
      HWND textControl = box ? GetDlgItem(box, 0xFFFF) : nullptr;
      if (textControl) {
        SeenMessageBox seen;
        seen.title = windowText(box);
        seen.text = windowText(textControl);
        seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
        seen.hasIcon = GetDlgItem(box, 0x0014) != nullptr && IsWindowVisible(GetDlgItem(box, 0x0014));
        EnterCriticalSection(&lock_);
        seen_.push_back(seen);
        LeaveCriticalSection(&lock_);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box) && !stop_) Sleep(10);
      }
      Sleep(20);
    }
  });
}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
  DeleteCriticalSection(&lock_);
}

std::vector<SeenMessageBox> MessageBoxWatcher::seen() {
  EnterCriticalSection(&lock_);
  auto copy = seen_;
  LeaveCriticalSection(&lock_);
  return copy;
}

std::vector<std::string> statusLinesOf(HWND ruleListDialog) {
  std::vector<std::string> lines;
  for (int i = 0; i < IDC_STATUS_COUNT; ++i) {
    std::u16string text(1024, u'\0');
    LRESULT length = SendMessageW(GetDlgItem(ruleListDialog, IDC_STATUS_FIRST + i), WM_GETTEXT, text.size(),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    if (!text.empty()) lines.push_back(encodeUtf8(text));
  }
  return lines;
}

}  // namespace tavrik::testing
