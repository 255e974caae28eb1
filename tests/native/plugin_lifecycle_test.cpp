// The order that matters in init, config and quit: the hook is in place
// before the library is bound, the plug-in's thread starts only after a
// successful init and has ended before the rules are saved and the library
// goes, the hook goes last, and after a failed init nothing more happens.
#include "plugin/plugin_lifecycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace tavrik {
namespace {

struct RecordingShell : ShellOperations {
  std::vector<std::string> calls;
  bool bindSucceeds = true;
  bool loadSucceeds = true;

  void installHook() override { calls.push_back("hook"); }
  void unhook() override { calls.push_back("unhook"); }
  bool bindTagLibrary() override {
    calls.push_back("bind");
    return bindSucceeds;
  }
  void releaseTagLibrary() override { calls.push_back("release"); }
  bool loadRules() override {
    calls.push_back("load");
    return loadSucceeds;
  }
  void saveRules() override { calls.push_back("save"); }
  void loadCaptionSettings() override { calls.push_back("load caption"); }
  void saveCaptionSettings() override { calls.push_back("save caption"); }
  void enablePipeline(bool enabled) override { calls.push_back(enabled ? "pipeline on" : "pipeline off"); }
  void startTrackThread() override { calls.push_back("start delivery"); }
  bool finishTrackThread() override {
    calls.push_back("finish delivery");
    return threadEnds;
  }
  void keepForRunningThread() override { calls.push_back("keep"); }
  bool threadEnds = true;
  void runSettingsDialog() override { calls.push_back("dialog"); }

  long count(const std::string& call) const { return std::count(calls.begin(), calls.end(), call); }
  // Both happened, once each, `first` before `second`.
  bool inOrder(const std::string& first, const std::string& second) const {
    if (count(first) != 1 || count(second) != 1) return false;
    return std::find(calls.begin(), calls.end(), first) < std::find(calls.begin(), calls.end(), second);
  }
};

TEST(PluginLifecycle, ARunHooksBeforeBindingSavesBeforeReleasingAndUnhooksLast) {
  RecordingShell shell;
  PluginLifecycle plugin(shell);
  EXPECT_EQ(plugin.init(), 0);
  EXPECT_TRUE(shell.inOrder("hook", "bind"));
  EXPECT_TRUE(shell.inOrder("bind", "load"));
  EXPECT_TRUE(shell.inOrder("load", "load caption"));
  EXPECT_TRUE(shell.inOrder("load caption", "start delivery"));
  EXPECT_TRUE(shell.inOrder("start delivery", "pipeline on")) << "no text before the thread runs";
  plugin.config();
  plugin.config();
  EXPECT_EQ(shell.count("dialog"), 2);
  EXPECT_EQ(shell.count("save"), 0) << "the file is written at quit only";
  EXPECT_TRUE(plugin.quit());
  EXPECT_TRUE(shell.inOrder("pipeline off", "finish delivery")) << "no new text while it finishes";
  EXPECT_TRUE(shell.inOrder("finish delivery", "save"));
  EXPECT_TRUE(shell.inOrder("save", "save caption"));
  EXPECT_TRUE(shell.inOrder("save caption", "release"));
  EXPECT_EQ(shell.calls.back(), "unhook");
  EXPECT_EQ(shell.count("unhook"), 1);
  EXPECT_EQ(shell.count("keep"), 0);
}

TEST(PluginLifecycle, ASecondInitChangesNothing) {
  RecordingShell shell;
  PluginLifecycle plugin(shell);
  ASSERT_EQ(plugin.init(), 0);
  const std::vector<std::string> first = shell.calls;
  EXPECT_EQ(plugin.init(), 0);
  EXPECT_EQ(shell.calls, first) << "no second hook, library, rules or thread";
  plugin.quit();
  EXPECT_EQ(shell.count("unhook"), 1);
}

TEST(PluginLifecycle, AThreadStuckInALoadAtQuitKeepsTheLibraryButTheSettingsAreSaved) {
  RecordingShell shell;
  PluginLifecycle plugin(shell);
  ASSERT_EQ(plugin.init(), 0);
  shell.threadEnds = false;
  shell.calls.clear();
  EXPECT_FALSE(plugin.quit()) << "the caller must keep what the thread uses";
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"pipeline off", "finish delivery", "save", "save caption",
                                                   "keep", "unhook"}))
      << "the library the thread is inside of is never released";
}

TEST(PluginLifecycle, AFailedBindReadsNoRulesUnhooksLastAndThenDoesNothing) {
  RecordingShell shell;
  shell.bindSucceeds = false;
  PluginLifecycle plugin(shell);
  EXPECT_EQ(plugin.init(), -1);
  EXPECT_TRUE(shell.inOrder("hook", "bind"));
  EXPECT_EQ(shell.count("load"), 0);
  EXPECT_EQ(shell.count("load caption"), 0);
  EXPECT_EQ(shell.count("pipeline on"), 0);
  EXPECT_EQ(shell.count("start delivery"), 0);
  EXPECT_EQ(shell.calls.back(), "unhook");
  shell.calls.clear();
  plugin.config();  // nothing to edit, nothing opens
  plugin.quit();    // nothing saved over the user's file, nothing unhooked twice
  EXPECT_EQ(shell.calls, std::vector<std::string>{});
}

TEST(PluginLifecycle, AFailedLoadReleasesTheLibraryBeforeUnhookingAndNeverSaves) {
  RecordingShell shell;
  shell.loadSucceeds = false;
  PluginLifecycle plugin(shell);
  EXPECT_EQ(plugin.init(), -1);
  EXPECT_TRUE(shell.inOrder("bind", "release"));
  EXPECT_EQ(shell.count("load caption"), 0);
  EXPECT_EQ(shell.calls.back(), "unhook");
  EXPECT_EQ(shell.count("pipeline on"), 0);
  EXPECT_EQ(shell.count("start delivery"), 0);
  shell.calls.clear();
  plugin.config();
  plugin.quit();
  EXPECT_EQ(shell.calls, std::vector<std::string>{});
}

}  // namespace
}  // namespace tavrik
