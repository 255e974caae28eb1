#include "common/host_folder.h"

#include <gtest/gtest.h>

#include "common/module_services.h"
#include "cp932_lead_byte.h"
#include "fakes.h"

namespace tavrik {
namespace {

std::optional<std::string> join(std::string_view exe, std::string_view name) {
  return joinHostFolder(exe, name, testing::isCodePage932LeadByte);
}

TEST(HostFolder, JoinsTheExecutablesDriveAndDirectoryWithARelativeName) {
  EXPECT_EQ(join("C:\\Program Files\\Winamp\\winamp.exe", "Plugins\\gen_tavrik.cfg"),
            "C:\\Program Files\\Winamp\\Plugins\\gen_tavrik.cfg");
  EXPECT_EQ(join("D:\\winamp.exe", "Plugins\\default.html"), "D:\\Plugins\\default.html");
  EXPECT_EQ(join("\\\\server\\share\\w\\winamp.exe", "x"), "\\\\server\\share\\w\\x");
  EXPECT_EQ(join("C:winamp.exe", "x"), "C:x");
}

TEST(HostFolder, StepsOverDoubleByteCharactersWhoseSecondByteIsABackslash) {
  // "ソ" is 83 5C in code page 932: a file named "ソ.exe" in C:\ソフト\.
  std::string folder = "C:\\\x83\x5C\x83t\x83g\\";
  EXPECT_EQ(join(folder + "\x83\x5C.exe", "Plugins\\a.cfg"), folder + "Plugins\\a.cfg");
  // Read byte by byte the same path would be cut inside the character.
  auto byteWise = joinHostFolder(folder + "\x83\x5C.exe", "n", [](unsigned char) { return false; });
  EXPECT_EQ(byteWise, folder + "\x83\\n");
}

TEST(HostFolder, RefusesPathsThatDoNotFit260Bytes) {
  std::string exe = "C:\\" + std::string(240, 'd') + "\\winamp.exe";  // 254 bytes
  ASSERT_LT(exe.size(), kMaxPathBytes);
  EXPECT_FALSE(join(exe, "Plugins\\gen_tavrik.cfg"));  // 266 bytes joined
  EXPECT_TRUE(join(exe, "Plugins\\"));                 // 252 bytes joined
  std::string folder = "C:\\" + std::string(251, 'd') + "\\";  // 255 bytes
  EXPECT_EQ(join(folder + "x", "abcd")->size(), 259u);            // fits with its NUL
  EXPECT_FALSE(join(folder + "x", "abcde"));
  EXPECT_FALSE(join(std::string(300, 'c'), "x"));
  EXPECT_FALSE(join("", "x"));
}

TEST(HostFolder, HostFilePathUsesTheModulesOwnRelativeNames) {
  testing::FakeModuleServices services;
  EXPECT_EQ(hostFilePath(services, 6), testing::kRuleFilePath);
  EXPECT_EQ(hostFilePath(services, 7), testing::kDefaultTemplatePath);
  EXPECT_FALSE(hostFilePath(services, 99));
  services.executablePath.clear();  // the host's path did not fit
  EXPECT_FALSE(hostFilePath(services, 6));
}

}  // namespace
}  // namespace tavrik
