#include "plugin/plugin_lifecycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrik {
namespace {

struct RecordingShell : ShellOperations {
  std::vector<std::string> calls;
  bool bindSucceeds = true;
  bool loadSucceeds = true;
  bool hookStillOurs = true;

  void installHook() override { calls.push_back("hook"); }
  bool removeHook() override {
    calls.push_back("unhook");
    return hookStillOurs;
  }
  void pinModule() override { calls.push_back("pin"); }
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
  void enablePipeline(bool enabled) override { calls.push_back(enabled ? "pipeline on" : "pipeline off"); }
  void runSettingsDialog() override { calls.push_back("dialog"); }
};

using Calls = std::vector<std::string>;

TEST(PluginLifecycle, ARunHooksBindsLoadsThenSavesReleasesAndUnhooks) {
  RecordingShell shell;
  PluginLifecycle plugin(shell);
  EXPECT_EQ(plugin.init(), 0);
  EXPECT_EQ(shell.calls, (Calls{"hook", "bind", "load", "pipeline on"}));
  shell.calls.clear();
  plugin.config();
  plugin.config();
  plugin.quit();
  EXPECT_EQ(shell.calls, (Calls{"dialog", "dialog", "pipeline off", "save", "release",
                                "pipeline off", "unhook"}));
}

TEST(PluginLifecycle, AFailedBindReadsNoRulesAndLeavesTheHostAsItWas) {
  RecordingShell shell;
  shell.bindSucceeds = false;
  PluginLifecycle plugin(shell);
  EXPECT_EQ(plugin.init(), -1);
  EXPECT_EQ(shell.calls, (Calls{"hook", "bind", "release", "pipeline off", "unhook"}));
  shell.calls.clear();
  plugin.config();  // nothing to edit, nothing opens
  plugin.quit();    // nothing saved over the user's file
  EXPECT_EQ(shell.calls, (Calls{"pipeline off", "release"}));
}

TEST(PluginLifecycle, AFailedLoadNeverSavesAndNeverRunsThePipeline) {
  RecordingShell shell;
  shell.loadSucceeds = false;
  PluginLifecycle plugin(shell);
  EXPECT_EQ(plugin.init(), -1);
  EXPECT_EQ(shell.calls, (Calls{"hook", "bind", "load", "release", "pipeline off", "unhook"}));
  plugin.quit();
  EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), "save"), 0);
  EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), "pipeline on"), 0);
}

TEST(PluginLifecycle, AHookSubclassedOverStaysAsAPassThroughInAPinnedModule) {
  RecordingShell shell;
  shell.hookStillOurs = false;
  PluginLifecycle plugin(shell);
  ASSERT_EQ(plugin.init(), 0);
  plugin.quit();
  EXPECT_EQ(Calls(shell.calls.end() - 3, shell.calls.end()), (Calls{"pipeline off", "unhook", "pin"}));
}

}  // namespace
}  // namespace tavrik
