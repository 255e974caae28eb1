#include "plugin/plugin_shell_win32.h"

#include "pipeline/host_window_hook_win32.h"
#include "ui/rule_list_dialog_win32.h"

namespace tavrik {

Win32Shell::Win32Shell(HWND host)
    : host_(host),
      services_(host),
      store_(files_, services_, codePage_),
      captionStore_(files_, services_, codePage_),
      tags_(loader_, services_, codePage_, host),
      renderer_(rules_, files_, codePage_, defaultTemplatePath(services_)),
      encoder_(windows_),
      caption_([this] { delivery_.wake(); }),
      captionWriter_(caption_, files_, codePage_),
      delivery_(encoder_, &captionWriter_),
      requests_(host),
      handler_(requests_, tags_, renderer_, delivery_, &caption_) {}

void Win32Shell::installHook() { installHostWindowHook(host_); }

void Win32Shell::unhook() { releaseHostWindow(host_); }

bool Win32Shell::bindTagLibrary() { return tags_.bindTagLibrary(); }

void Win32Shell::releaseTagLibrary() { tags_.releaseTagLibrary(); }

bool Win32Shell::loadRules() {
  settingsFolder_ = askSettingsFolder(services_, codePage_);
  return store_.loadRules(rules_, settingsFolder_);
}

void Win32Shell::saveRules() { store_.saveRules(rules_); }

void Win32Shell::loadCaptionSettings() { applyCaptionSettings(captionStore_.load(settingsFolder_)); }

void Win32Shell::saveCaptionSettings() { captionStore_.save(caption_.settings()); }

void Win32Shell::applyCaptionSettings(const CaptionSettings& settings) {
  caption_.setSettings(settings);
  // No request the host did not get before, while no file is configured.
  if (caption_.wantsPlaybackStatus()) caption_.playbackStatus(requests_.playbackStatus());
}

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
  // Built from this module's resources, with no owner. OK has replaced the
  // rules and the caption settings; after Cancel both are as they were.
  CaptionSettings settings = caption_.settings();
  CRuleListDlg dialog(rules_, &settings);
  if (dialog.DoModal() == IDOK && settings != caption_.settings()) applyCaptionSettings(settings);
}

}  // namespace tavrik
