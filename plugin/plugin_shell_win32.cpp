#include "plugin/plugin_shell_win32.h"

#include <ctime>

#include "obs/web_socket_win32.h"
#include "pipeline/host_window_win32.h"
#include "ui/rule_list_dialog_win32.h"
#include "ui/status_lines.h"

namespace tavrik {

Win32Shell::Win32Shell(HWND host)
    : host_(host),
      services_(host),
      store_(files_, services_, codePage_),
      captionStore_(files_, services_, codePage_),
      tags_(tagLibrary_, services_, codePage_, host),
      renderer_(files_, codePage_, defaultTemplatePath(services_)),
      encoder_(windows_),
      captionWriter_(caption_, files_, codePage_),
      coverReader_(caption_, coverFiles_, codePage_),
      coverWriter_(caption_, files_, coverFiles_, codePage_),
      obs_(std::make_unique<WinHttpWebSocket>(), obsHashing_),
      obsFeed_(caption_, coverWriter_, obs_, files_, codePage_),
      overlayFeed_(caption_, overlay_, files_, codePage_),
      thread_(tags_, rules_, renderer_, encoder_, caption_,
              // The picture first, as every output shows the track with it;
              // then the cover file, which OBS's image source is told to
              // load. OBS and the page before the caption file: they only
              // take the text, where the file may wait for a reader.
              {&coverReader_, &coverWriter_, &obsFeed_, &overlayFeed_, &captionWriter_}),
      requests_(host),
      handler_(requests_) {}

void Win32Shell::installHook() { installHostWindowHook(host_); }

void Win32Shell::unhook() { releaseHostWindow(host_); }

bool Win32Shell::bindTagLibrary() { return tags_.bindTagLibrary(); }

void Win32Shell::releaseTagLibrary() { tags_.releaseTagLibrary(); }

bool Win32Shell::loadRules() {
  settingsFolder_ = askSettingsFolder(services_, codePage_);
  RuleList rules;
  if (!store_.loadRules(rules, settingsFolder_)) return false;
  rules_.replace(std::move(rules));
  return true;
}

void Win32Shell::saveRules() { store_.saveRules(*rules_.current()); }

void Win32Shell::loadCaptionSettings() { applyCaptionSettings(captionStore_.load(settingsFolder_)); }

void Win32Shell::saveCaptionSettings() { captionStore_.save(caption_.settings()); }

void Win32Shell::applyCaptionSettings(const CaptionSettings& settings) {
  caption_.setSettings(settings);
  // No request the host did not get before, while no output is on.
  if (caption_.wantsPlaybackStatus()) thread_.take(handler_.playbackNow());
  thread_.wake();
}

void Win32Shell::onTitleChange() { thread_.take(handler_.onTitleChange(caption_.wantsPlaybackStatus())); }

void Win32Shell::enablePipeline(bool enabled) {
  setTitleChangeHandling(enabled ? std::function<void()>([this] { onTitleChange(); }) : nullptr);
}

void Win32Shell::startTrackThread() { thread_.start(); }

bool Win32Shell::finishTrackThread() { return thread_.finish(); }

void Win32Shell::keepForRunningThread() { pinThisModule(); }

std::vector<std::u16string> Win32Shell::statusLines(const CaptionSettings& inForce) {
  // Read twice a second on the player's thread: the outcomes are lock-free
  // words, and the settings a copy taken when the dialog opened.
  OutputsStatus status;
  status.encoder = encoder_.status();
  if (inForce.on()) status.caption = captionWriter_.status();
  if (inForce.obs.on()) status.obs = obs_.status();
  if (inForce.overlay.on()) status.overlay = overlay_.status();
  if (inForce.cover.on()) status.cover = coverWriter_.status();
  status.captionFile = inForce.file;
  status.coverFile = inForce.cover.file;
  status.obsSource = inForce.obs.source;
  status.obsCoverSource = inForce.obs.coverSource;
  status.overlayPort = inForce.overlay.portNumber().value_or(0);
  return tavrik::statusLines(status, codePage_, [](std::chrono::system_clock::time_point at) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    const std::tm* local = std::localtime(&seconds);
    char16_t text[16] = u"--:--:--";
    if (local) {
      const int parts[] = {local->tm_hour, local->tm_min, local->tm_sec};
      for (int i = 0; i < 3; ++i) {
        text[i * 3] = static_cast<char16_t>(u'0' + parts[i] / 10);
        text[i * 3 + 1] = static_cast<char16_t>(u'0' + parts[i] % 10);
      }
    }
    return std::u16string(text);
  });
}

void Win32Shell::runSettingsDialog() {
  // Built from this module's resources, with no owner, over copies: a track
  // change meanwhile uses the rules in force, and OK puts the edited ones in
  // force at once, whole. After Cancel both stay as they were.
  RuleList rules = *rules_.current();
  CaptionSettings settings = caption_.settings();
  CRuleListDlg dialog(rules, &settings, nullptr, [this, inForce = settings] { return statusLines(inForce); });
  if (dialog.DoModal() != IDOK) return;
  rules_.replace(std::move(rules));
  if (settings != caption_.settings()) applyCaptionSettings(settings);
}

}  // namespace tavrik
