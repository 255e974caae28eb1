// What the Windows test programs share: where the build put things, scratch
// folders, and a watcher that answers message boxes so that no test hangs.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tavrik::testing {

// A Unix path of the build tree as this Windows program sees it ("Z:\...").
std::string windowsPath(const std::string& unixPath);
// A Unix path from the environment, as a Windows path.
std::string environmentPath(const char* variable);
// The build tree, from TAVRIK_BIN.
std::string buildPath(const std::string& relative);
// A fresh, empty scratch folder for one test.
std::string freshFolder(const std::string& name);

std::string readFileBytes(const std::string& path);

// The lines of a text, without their CR LF or LF.
std::vector<std::string> splitLines(const std::string& text);
// The stand-in player's log lines without their leading milliseconds.
std::vector<std::string> hostEvents(const std::string& log);
void writeFileBytes(const std::string& path, const std::string& bytes);
// The same for full paths of any length (through "\\?\"), for files whose
// paths the plug-in must refuse.
std::string readLongPathFile(const std::string& path);
void writeLongPathFile(const std::string& path, const std::string& bytes);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> folderEntries(const std::string& folder);

// A visible top-level window of `process` (0: any process) with the class
// and, when not empty, the title.
HWND findTopWindow(DWORD process, const std::string& className, const std::string& title = "");
// The same, waited for up to `timeoutMs`.
HWND waitForWindow(DWORD process, const std::string& className, DWORD timeoutMs,
                   const std::string& title = "");

// The status lines below the rule list dialog's table, as the user reads
// them, in UTF-8; empty lines left out.
std::vector<std::string> statusLinesOf(HWND ruleListDialog);

// The title and text of a message box, as the user saw it.
struct SeenMessageBox {
  std::string title;
  std::string text;
  bool hasCancel = false;
  bool hasIcon = false;
};

// While alive, closes every message box of this process (or, with
// `anyProcess`, of every process the test started, titled `title`) with its
// OK button and records what it showed.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  MessageBoxWatcher(bool anyProcess, const std::string& title);
  ~MessageBoxWatcher();
  std::vector<SeenMessageBox> seen();

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
  CRITICAL_SECTION lock_;
  std::vector<SeenMessageBox> seen_;
};

}  // namespace tavrik::testing
