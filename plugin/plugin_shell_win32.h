// The shell's operations on Windows: every piece of the plug-in, put together
// for one host window.
#pragma once

#include <windows.h>

#include "caption/caption_settings_store.h"
#include "caption/caption_state.h"
#include "caption/caption_writer.h"
#include "caption/cover_reader.h"
#include "caption/cover_writer.h"
#include "caption/obs_feed.h"
#include "caption/overlay_feed.h"
#include "common/code_page_win32.h"
#include "common/files_win32.h"
#include "common/module_services_win32.h"
#include "common/settings_folder.h"
#include "pipeline/encoder_link.h"
#include "pipeline/host_window_win32.h"
#include "pipeline/tag_library_win32.h"
#include "pipeline/tag_reader.h"
#include "pipeline/template_renderer.h"
#include "pipeline/title_change_handler.h"
#include "cover/cover_files_win32.h"
#include "obs/obs_hashing_win32.h"
#include "obs/obs_output.h"
#include "overlay/overlay_server.h"
#include "pipeline/window_ops_win32.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin/track_thread.h"
#include "rules/rule_store.h"
#include "rules/rules_in_force.h"

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
  void loadCaptionSettings() override;
  void saveCaptionSettings() override;
  void enablePipeline(bool enabled) override;
  void startTrackThread() override;
  bool finishTrackThread() override;
  void keepForRunningThread() override;
  void runSettingsDialog() override;

 private:
  // New settings for the caption file, and the player's state at once when
  // a file is configured: a stopped player shows the idle caption.
  void applyCaptionSettings(const CaptionSettings& settings);
  // On the player's thread, at every retitle: only the host's answers are
  // had here; the rest is the plug-in's thread's.
  void onTitleChange();
  // The rule list dialog's lines: each output's last outcome, for the
  // outputs on in `inForce`.
  std::vector<std::u16string> statusLines(const CaptionSettings& inForce);

  HWND host_;
  Win32CodePage codePage_;
  Win32Files files_;
  Win32ModuleServices services_;
  // Where the host keeps its settings, asked once before the rules are read;
  // both files are looked for there first.
  SettingsFolder settingsFolder_;
  RulesInForce rules_;
  RuleStore store_;
  CaptionSettingsStore captionStore_;
  Win32TagLibrary tagLibrary_;
  TagReader tags_;
  TemplateRenderer renderer_;
  Win32WindowOps windows_;
  EncoderLink encoder_;
  // Declared before the thread, which works through them until it ends.
  CaptionState caption_;
  CaptionWriter captionWriter_;
  Win32CoverFiles coverFiles_;
  CoverReader coverReader_;
  CoverWriter coverWriter_;
  WindowsObsHashing obsHashing_;
  ObsOutput obs_;
  ObsFeed obsFeed_;
  OverlayServer overlay_;
  OverlayFeed overlayFeed_;
  TrackThread thread_;
  Win32HostRequests requests_;
  TitleChangeHandler handler_;
};

}  // namespace tavrik
