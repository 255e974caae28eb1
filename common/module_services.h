// What the logic asks of the platform about the module itself: its own string
// table, the host's executable path and settings folder, and the user-facing
// error message.
#pragma once

#include <optional>
#include <string>

namespace tavrik {

class ModuleServices {
 public:
  virtual ~ModuleServices() = default;
  // A string of this module's own string table (never the host's); empty when
  // the id is missing.
  virtual std::string moduleString(unsigned id) = 0;
  // Full path of the process's main module, the host's executable; empty when
  // it cannot be had whole.
  virtual std::string hostExecutablePath() = 0;
  // The folder the host keeps its settings in, as it answers
  // IPC_GETINIDIRECTORYW in UTF-16 and IPC_GETINIDIRECTORY in the ANSI code
  // page; empty when it answers 0, as older hosts do. Asked on the host's
  // thread: the answer is the host's own text, copied at once.
  virtual std::u16string hostSettingsFolderWide() = 0;
  virtual std::string hostSettingsFolder() = 0;
  // Whether `byte` leads a double-byte character in the ANSI code page.
  virtual bool isLeadByte(unsigned char byte) = 0;
  // The modal error message, owned by the host's main window.
  virtual void showErrorMessage(const std::string& text) = 0;
};

// The host folder joined with the relative name held by string `id`.
std::optional<std::string> hostFilePath(ModuleServices& services, unsigned id);

}  // namespace tavrik
