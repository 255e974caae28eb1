// The shell's operations on Windows: every piece of the plug-in, put together
// for one host window.
#pragma once

#include <windows.h>

#include "common/code_page_win32.h"
#include "common/file_system_win32.h"
#include "common/module_services_win32.h"
#include "pipeline/delivery_thread.h"
#include "pipeline/encoder_link.h"
#include "pipeline/host_requests_win32.h"
#include "pipeline/tag_library_win32.h"
#include "pipeline/tag_reader.h"
#include "pipeline/template_renderer.h"
#include "pipeline/title_change_handler.h"
#include "pipeline/window_ops_win32.h"
#include "plugin/plugin_lifecycle.h"
#include "rules/rule_list.h"
#include "rules/rule_store.h"

namespace tavrik {

class Win32Shell final : public ShellOperations {
 public:
  explicit Win32Shell(HWND host);

  void installHook() override;
  void unhook() override;
  bool bindTagLibrary() override;
  void releaseTagLibrary() override;
  bool loadRules() override;
  void saveRules() override;
  void enablePipeline(bool enabled) override;
  void startDelivery() override;
  void finishDelivery(std::chrono::steady_clock::time_point deadline) override;
  void runSettingsDialog() override;

 private:
  HWND host_;
  Win32CodePage codePage_;
  Win32FileSystem files_;
  Win32ModuleServices services_;
  RuleList rules_;
  RuleStore store_;
  Win32TagLibraryLoader loader_;
  TagReader tags_;
  TemplateRenderer renderer_;
  Win32WindowOps windows_;
  EncoderLink encoder_;
  DeliveryThread delivery_;
  Win32HostRequests requests_;
  TitleChangeHandler handler_;
};

}  // namespace tavrik
