// Hand-written stand-ins for the platform operations, recording what they
// were asked.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/host_folder.h"
#include "common/module_services.h"

namespace tavrik::testing {

class FakeFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> heldOpenElsewhere;  // opens fail as with share mode 0
  bool failWrites = false;
  std::vector<std::size_t> readSizes;  // every answer of read(), in order

  std::unique_ptr<InputFile> openExclusive(const std::string& path) override {
    auto found = files.find(path);
    if (path.empty() || found == files.end() || heldOpenElsewhere.count(path) || !fitsWindowsPath(path)) {
      return nullptr;
    }
    return std::make_unique<File>(found->second, readSizes);
  }

  bool replaceContent(const std::string& path, std::string_view bytes) override {
    if (failWrites || heldOpenElsewhere.count(path)) return false;
    files[path] = std::string(bytes);
    return true;
  }

 private:
  class File : public InputFile {
   public:
    File(const std::string& content, std::vector<std::size_t>& log) : content_(content), log_(log) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
      std::size_t n = std::min(capacity, content_.size() - offset_);
      std::memcpy(buffer, content_.data() + offset_, n);
      offset_ += n;
      log_.push_back(n);
      return n;
    }
    std::size_t sizeHint() override { return content_.size(); }

   private:
    const std::string& content_;
    std::vector<std::size_t>& log_;
    std::size_t offset_ = 0;
  };
};

class FakeModuleServices : public ModuleServices {
 public:
  std::string executablePath = "C:\\Program Files\\Winamp\\winamp.exe";
  std::map<unsigned, std::string> strings = {
      {1, "Unknown Title"},   {2, "Unknown Artist"}, {3, "Unknown Album"},
      {4, "Unknown Comment"}, {5, "Unknown Genre"},  {6, "Plugins\\gen_tavrik.cfg"},
      {7, "Plugins\\default.html"}};
  std::vector<std::string> errors;

  std::string moduleString(unsigned id) override { return strings.count(id) ? strings[id] : ""; }
  std::string hostExecutablePath() override { return executablePath; }
  bool isLeadByte(unsigned char byte) override { return isCodePage932LeadByte(byte); }
  void showErrorMessage(const std::string& text) override { errors.push_back(text); }
};

inline const std::string kRuleFilePath = "C:\\Program Files\\Winamp\\Plugins\\gen_tavrik.cfg";
inline const std::string kDefaultTemplatePath = "C:\\Program Files\\Winamp\\Plugins\\default.html";

}  // namespace tavrik::testing
