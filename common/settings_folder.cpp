#include "common/settings_folder.h"

#include "common/ascii.h"

namespace tavrik {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string_view withoutTrailingSeparators(std::u16string_view path) {
  while (!path.empty() && isSeparator(path.back())) path.remove_suffix(1);
  return path;
}

char32_t folded(char16_t c) { return c == u'/' ? U'\\' : lowerAscii(c); }

// "C:\..." or "\\server\share...", and none of the characters Windows keeps
// out of names.
bool namesFullPath(std::u16string_view path) {
  bool drive = path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == u':' && isSeparator(path[2]);
  bool unc = path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
  return (drive || unc) && path.find_first_of(u"*?\"<>|", 2) == std::u16string_view::npos;
}

}  // namespace

bool sameFolder(std::u16string_view a, std::u16string_view b) {
  a = withoutTrailingSeparators(a);
  b = withoutTrailingSeparators(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (folded(a[i]) != folded(b[i])) return false;
  }
  return true;
}

SettingsFolder askSettingsFolder(ModuleServices& services, CodePage& codePage) {
  std::u16string answer = services.hostSettingsFolderWide();
  if (answer.empty()) answer = codePage.toWide(services.hostSettingsFolder());
  if (!namesFullPath(answer)) return std::nullopt;

  std::string executable = services.hostExecutablePath();
  if (!executable.empty()) {
    auto isLeadByte = [&services](unsigned char byte) { return services.isLeadByte(byte); };
    std::string_view own = std::string_view(executable).substr(0, folderLength(executable, isLeadByte));
    if (sameFolder(answer, codePage.toWide(own))) return std::nullopt;
  }
  return std::u16string(withoutTrailingSeparators(answer)) + u'\\';
}

std::optional<std::u16string> joinSettingsFolder(const std::u16string& folder, std::u16string_view relativeName) {
  std::u16string joined = folder;
  joined.append(relativeName);
  if (!fitsWindowsPath(joined)) return std::nullopt;
  return joined;
}

}  // namespace tavrik
