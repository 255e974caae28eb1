// The module's strings, the host folder and the error message through the
// real Win32 calls.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "common/cp932_texts.h"
#include "common/module_services_win32.h"
#include "common/win32_handles.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

const char* const kStrings[] = {"Unknown Title",   "Unknown Artist", "Unknown Album",
                                "Unknown Comment", "Unknown Genre",  "Plugins\\gen_tavrik.cfg",
                                "Plugins\\default.html", "Plugins\\gen_tavrik.ini"};

TEST(ModuleStrings, ComeFromThisModulesOwnResources) {
  Win32ModuleServices services(nullptr);
  for (unsigned id = 1; id <= 8; ++id) EXPECT_EQ(services.moduleString(id), kStrings[id - 1]);
  EXPECT_EQ(services.moduleString(9), "");
}

TEST(ModuleStrings, ThePluginDllCarriesTheSameStringTable) {
  UniqueModule dll(LoadLibraryExA(testing::buildPath("gen_tavrik.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(dll);
  for (unsigned id = 1; id <= 8; ++id) {
    char text[256] = {};
    LoadStringA(dll.get(), id, text, sizeof text);
    EXPECT_STREQ(text, kStrings[id - 1]);
  }
}

TEST(HostFolder, IsTheFolderOfTheProcesssExecutable) {
  Win32ModuleServices services(nullptr);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_EQ(services.hostExecutablePath(), exe);
  std::string folder(exe, std::strrchr(exe, '\\') + 1);
  EXPECT_EQ(hostFilePath(services, 6), folder + "Plugins\\gen_tavrik.cfg");
  EXPECT_EQ(hostFilePath(services, 7), folder + "Plugins\\default.html");
}

TEST(ErrorMessage, IsAnOkOnlyBoxWithoutIconUnderTheModulesTitle) {
  EXPECT_EQ(GetACP(), 932u) << "the tests run with the Japanese code page";
  testing::MessageBoxWatcher watcher;
  Win32ModuleServices services(nullptr);
  services.showErrorMessage(texts::kRuleFileMissingMessage);
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "ERROR: gen_tavrik.dll");
  EXPECT_EQ(seen[0].text, texts::kRuleFileMissingMessage);
  EXPECT_FALSE(seen[0].hasCancel);
  EXPECT_FALSE(seen[0].hasIcon);
}

TEST(ErrorMessage, IsOwnedByTheHostWindow) {
  HWND host = CreateWindowA("STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr);
  ASSERT_TRUE(host);
  HWND owner = nullptr;
  std::thread probe([&] {
    for (int i = 0; i < 500 && !owner; ++i) {
      HWND box = FindWindowA("#32770", "ERROR: gen_tavrik.dll");
      if (box) {
        owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(10);
    }
  });
  Win32ModuleServices(host).showErrorMessage("owned");
  probe.join();
  EXPECT_EQ(owner, host);
  DestroyWindow(host);
}

}  // namespace
}  // namespace tavrik
