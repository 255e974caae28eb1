// Templates read through the real Win32 file calls.
#include <gtest/gtest.h>

#include <cstring>

#include "common/code_page_win32.h"
#include "common/files_win32.h"
#include "common/module_services_win32.h"
#include "common/win32_handles.h"
#include "pipeline/template_renderer.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

class TemplateFilesWin : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = testing::freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    path = folder + "\\t.html";
  }
  AnsiOrWide render(const std::string& templatePath) {
    return TemplateRenderer(files, codePage, templatePath).renderScriptText(tags, noRules);
  }
  std::string folder, path;
  RuleList noRules;
  Win32Files files;
  Win32CodePage codePage;
  TrackTags tags{"Cat", "Tom & Jerry", "Al", "Co", "Ge"};
};

TEST_F(TemplateFilesWin, ARealTemplateIsRenderedByteForByte) {
  testing::writeFileBytes(path, "<b>#ARTIST</b>\r\n<i>#TITLE</i>\x83\x5C");
  EXPECT_EQ(render(path), "<b>Tom &amp; Jerry</b><i>Cat</i>\x83\x5C");
}

TEST_F(TemplateFilesWin, ChunkBoundariesAndNulBytesOnDisk) {
  std::string exact(32000, 'a');
  testing::writeFileBytes(path, exact);
  EXPECT_TRUE(render(path) == exact);
  // The first chunk ends "#GENRE", NUL, "zz#": cut at its NUL, it loses the
  // '#' of "#ALBUM", which goes on in the second chunk.
  std::string withNul = std::string(31990, 'b') + std::string("#GENRE\0zz", 9) + "#ALBUM" +
                        std::string("\0tail", 5);
  testing::writeFileBytes(path, withNul);
  std::string rendered = render(path).ansi();
  EXPECT_EQ(rendered.size(), 31990u + 7u) << rendered.substr(31980);
  EXPECT_EQ(rendered.substr(31990), "GeALBUM");
}

TEST_F(TemplateFilesWin, ATemplateHeldOpenByAnotherProgramGivesTheEmptyText) {
  testing::writeFileBytes(path, "#TITLE");
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(render(path), "");
  CloseHandle(other);
  EXPECT_EQ(render(path), "Cat");
  // Even another program sharing reads is kept out: the template opens with
  // share mode 0 and needs every other opener gone.
  other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(render(path), "");
  CloseHandle(other);
}

TEST_F(TemplateFilesWin, MissingEmptyAndTooLongPathsGiveTheEmptyText) {
  EXPECT_EQ(render(path), "");
  testing::writeFileBytes(path, "");
  EXPECT_EQ(render(path), "");
  EXPECT_EQ(render(folder + "\\" + std::string(300, 'x') + ".html"), "");
}

TEST_F(TemplateFilesWin, ATemplateNamedBeyondTheCodePageOpensAndEachEncodingIsRead) {
  // "음악\♡.html": a folder and a file name code page 932 cannot hold.
  std::u16string wideFolder = codePage.toWide(folder) + u"\\\uC74C\uC545";
  ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(wideFolder.c_str()), nullptr));
  std::u16string widePath = wideFolder + u"\\\u2661.html";
  auto write = [&](const std::string& bytes) {
    UniqueFile file(CreateFileW(reinterpret_cast<const wchar_t*>(widePath.c_str()), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  };
  RuleList rules;
  rules.append({"ARTIST", "Tom & Jerry", widePath});
  auto renderByRule = [&] { return TemplateRenderer(files, codePage, "").renderScriptText(tags, rules); };

  write("\xEF\xBB\xBF<b>#TITLE</b> \xE2\x99\xA1\r\n");
  EXPECT_EQ(renderByRule(), AnsiOrWide(u"<b>Cat</b> \u2661"));
  write(std::string("\xFF\xFE<\0#\0T\0I\0T\0L\0E\0>\0\x61\x26", 20));
  EXPECT_EQ(renderByRule(), AnsiOrWide(u"<Cat>\u2661"));
  // Held open elsewhere, it does not open, whatever its name.
  UniqueFile other(CreateFileW(reinterpret_cast<const wchar_t*>(widePath.c_str()), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(renderByRule(), "");
}

TEST_F(TemplateFilesWin, TheDefaultTemplateLivesInThePluginsFolderBesideTheHost) {
  Win32ModuleServices services(nullptr);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string expected(exe, std::strrchr(exe, '\\') + 1);
  EXPECT_EQ(defaultTemplatePath(services), expected + "Plugins\\default.html");
}

}  // namespace
}  // namespace tavrik
