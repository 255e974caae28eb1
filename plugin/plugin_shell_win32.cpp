#include "plugin/plugin_shell_win32.h"

#include "pipeline/host_window_hook_win32.h"
#include "ui/rule_list_dialog_win32.h"

namespace tavrik {

Win32Shell::Win32Shell(HWND host)
    : host_(host),
      services_(host),
      store_(files_, services_, codePage_),
      tags_(loader_, services_, codePage_, host),
      renderer_(rules_, files_, codePage_, defaultTemplatePath(services_)),
      encoder_(windows_),
      delivery_(encoder_),
      requests_(host),
      handler_(requests_, tags_, renderer_, delivery_) {}

void Win32Shell::installHook() { installHostWindowHook(host_); }

void Win32Shell::unhook() { releaseHostWindow(host_); }

bool Win32Shell::bindTagLibrary() { return tags_.bindTagLibrary(); }

void Win32Shell::releaseTagLibrary() { tags_.releaseTagLibrary(); }

bool Win32Shell::loadRules() { return store_.loadRules(rules_); }

void Win32Shell::saveRules() { store_.saveRules(rules_); }

void Win32Shell::enablePipeline(bool enabled) { setTitleChangeHandler(enabled ? &handler_ : nullptr); }

void Win32Shell::startDelivery() { delivery_.start(); }

void Win32Shell::finishDelivery(std::chrono::steady_clock::time_point deadline) {
  // Messages sent from now on give up by the deadline; one already waiting
  // for its answer gives up within its own second, sooner still. So joining
  // the thread ends by the deadline.
  windows_.endWaitsBy(deadline);
  delivery_.finish(deadline);
}

void Win32Shell::runSettingsDialog() {
  // Built from this module's resources, with no owner; the answer does not
  // matter, since OK has already replaced the rules.
  CRuleListDlg dialog(rules_);
  dialog.DoModal();
}

}  // namespace tavrik
