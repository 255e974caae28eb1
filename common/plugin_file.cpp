#include "common/plugin_file.h"

#include "common/replace_content.h"

namespace tavrik {

PluginFile::Found PluginFile::open(const SettingsFolder& settingsFolder) {
  settingsFolder_ = settingsFolder;
  foundInSettingsFolder_ = false;
  if (auto path = inSettingsFolder(); path && files_.exists(*path)) {
    foundInSettingsFolder_ = true;
    return {true, files_.openExclusive(*path)};
  }
  auto path = besideHost();
  if (!path) return {};
  auto file = files_.openExclusive(*path);
  bool there = file || files_.exists(*path);
  return {there, std::move(file)};
}

bool PluginFile::save(std::string_view bytes) {
  if (!foundInSettingsFolder_) {
    auto path = besideHost();
    auto isLeadByte = [this](unsigned char byte) { return services_.isLeadByte(byte); };
    if (path && replaceFileContent(files_, *path, bytes, isLeadByte)) return true;
  }
  auto path = inSettingsFolder();
  if (!path || (!foundInSettingsFolder_ && !makeFoldersBelowSettingsFolder())) return false;
  return replaceFileContent(files_, *path, bytes);
}

std::optional<std::string> PluginFile::besideHost() { return hostFilePath(services_, nameId_); }

std::optional<std::u16string> PluginFile::inSettingsFolder() {
  if (!settingsFolder_) return std::nullopt;
  std::string relative = services_.moduleString(nameId_);
  if (relative.empty()) return std::nullopt;
  return joinSettingsFolder(*settingsFolder_, codePage_.toWide(relative));
}

bool PluginFile::makeFoldersBelowSettingsFolder() {
  std::u16string relative = codePage_.toWide(services_.moduleString(nameId_));
  for (std::size_t slash = relative.find(u'\\'); slash != std::u16string::npos;
       slash = relative.find(u'\\', slash + 1)) {
    if (!files_.createFolder(*settingsFolder_ + relative.substr(0, slash))) return false;
  }
  return true;
}

}  // namespace tavrik
