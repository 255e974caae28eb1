// Hand-written stand-ins for the platform operations, recording what they
// were asked.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "common/file_system.h"
#include "common/host_folder.h"
#include "common/module_services.h"
#include "common/unicode_codec.h"
#include "cp932_lead_byte.h"

namespace tavrik {

// Failures show ANSI texts as their bytes and wide ones as u"UTF-8".
inline void PrintTo(const AnsiOrWide& text, std::ostream* out) {
  if (text.isWide()) {
    *out << "u\"" << encodeUtf8(text.wide()) << '"';
  } else {
    *out << '"' << text.ansi() << '"';
  }
}

}  // namespace tavrik

namespace tavrik::testing {

// Code page 932 in miniature: ASCII, and the double-byte characters the
// tests use. Every other character is beyond it ("é", Hangul, "♡", emoji),
// and any other byte reads as U+30FB, as stray bytes do in the real one.
class FakeCodePage : public CodePage {
 public:
  std::u16string toWide(std::string_view ansi) override {
    ++toWideCalls;
    std::u16string wide;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
      auto byte = static_cast<unsigned char>(ansi[i]);
      if (byte < 0x80) {
        wide += byte;
        continue;
      }
      if (i + 1 < ansi.size()) {
        unsigned pair = byte << 8 | static_cast<unsigned char>(ansi[i + 1]);
        auto found = std::find_if(std::begin(kPairs), std::end(kPairs),
                                  [pair](const Pair& p) { return p.bytes == pair; });
        if (found != std::end(kPairs)) {
          wide += found->character;
          ++i;
          continue;
        }
      }
      wide += u'\u30FB';
    }
    return wide;
  }
  std::optional<std::string> toAnsiExactly(std::u16string_view wide) override {
    ++toAnsiCalls;
    std::string ansi;
    for (char16_t c : wide) {
      if (c < 0x80) {
        ansi += static_cast<char>(c);
        continue;
      }
      auto found = std::find_if(std::begin(kPairs), std::end(kPairs),
                                [c](const Pair& p) { return p.character == c; });
      if (found == std::end(kPairs)) return std::nullopt;
      ansi += static_cast<char>(found->bytes >> 8);
      ansi += static_cast<char>(found->bytes & 0xFF);
    }
    return ansi;
  }
  int toWideCalls = 0, toAnsiCalls = 0;

 private:
  struct Pair {
    unsigned bytes;
    char16_t character;
  };
  // テ ス ト ジ ャ ズ 表 示 歌 手
  static constexpr Pair kPairs[] = {{0x8365, u'\u30C6'}, {0x8358, u'\u30B9'}, {0x8367, u'\u30C8'},
                                    {0x8357, u'\u30B8'}, {0x8383, u'\u30E3'}, {0x8359, u'\u30BA'},
                                    {0x955C, u'\u8868'}, {0x8EA6, u'\u793A'}, {0x89CC, u'\u6B4C'},
                                    {0x8EE8, u'\u624B'}};
};

class FakeFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::map<std::u16string, std::string> wideFiles;  // opened by their UTF-16 names
  std::set<std::u16string> wideFolders;             // folders named in UTF-16 that are there
  std::set<std::string> heldOpenElsewhere;          // opens fail as with share mode 0
  std::set<std::u16string> wideHeldOpenElsewhere;
  std::set<std::string> refusedWrites;  // replaced never: a read-only file or folder
  bool failWrites = false;              // no file of ours is written, no folder made
  std::vector<std::size_t> readSizes;   // every answer of read(), in order
  // Every call but reads, in order, with its path (UTF-16 paths in UTF-8).
  std::vector<std::string> calls;

  std::unique_ptr<InputFile> openExclusive(const std::string& path) override {
    calls.push_back("open " + path);
    auto found = files.find(path);
    if (path.empty() || found == files.end() || heldOpenElsewhere.count(path) || !fitsWindowsPath(path)) {
      return nullptr;
    }
    return std::make_unique<File>(found->second, readSizes);
  }

  std::unique_ptr<InputFile> openExclusiveWide(const std::u16string& path) override {
    calls.push_back("open wide " + encodeUtf8(path));
    auto found = wideFiles.find(path);
    if (path.empty() || found == wideFiles.end() || wideHeldOpenElsewhere.count(path) ||
        !fitsWindowsPath(path)) {
      return nullptr;
    }
    return std::make_unique<File>(found->second, readSizes);
  }

  bool replaceContent(const std::string& path, std::string_view bytes) override {
    calls.push_back("replace " + path);
    if (failWrites || heldOpenElsewhere.count(path) || refusedWrites.count(path)) return false;
    files[path] = std::string(bytes);
    return true;
  }

  // Only into a folder that is there.
  bool replaceContentWide(const std::u16string& path, std::string_view bytes) override {
    calls.push_back("replace wide " + encodeUtf8(path));
    bool folderThere = wideFolders.count(path.substr(0, path.rfind(u'\\'))) != 0;
    if (failWrites || wideHeldOpenElsewhere.count(path) || !folderThere) return false;
    wideFiles[path] = std::string(bytes);
    return true;
  }

  // Shared wide writes: each answers the next of `wideOutcomes` (Replaced
  // once they run out), a failure with `wideError`, and is recorded
  // whatever it answered.
  std::vector<ReplaceOutcome> wideOutcomes;
  std::uint32_t wideError = 3;  // ERROR_PATH_NOT_FOUND
  std::vector<std::pair<std::u16string, std::string>> wideWrites;
  ReplaceResult replaceSharedContentWide(const std::u16string& path, std::string_view bytes) override {
    wideWrites.emplace_back(path, std::string(bytes));
    ReplaceOutcome outcome = ReplaceOutcome::Replaced;
    if (!wideOutcomes.empty()) {
      outcome = wideOutcomes.front();
      wideOutcomes.erase(wideOutcomes.begin());
    }
    if (outcome == ReplaceOutcome::Replaced) wideFiles[path] = std::string(bytes);
    return {outcome, outcome == ReplaceOutcome::Failed ? wideError : 0};
  }

  bool exists(const std::string& path) override {
    calls.push_back("exists " + path);
    return files.count(path) != 0;
  }
  bool existsWide(const std::u16string& path) override {
    calls.push_back("exists wide " + encodeUtf8(path));
    return wideFiles.count(path) != 0 || wideFolders.count(path) != 0;
  }
  // Only inside a folder that is there.
  bool createFolderWide(const std::u16string& path) override {
    calls.push_back("create folder " + encodeUtf8(path));
    if (wideFolders.count(path)) return true;
    if (failWrites || !wideFolders.count(path.substr(0, path.rfind(u'\\')))) return false;
    wideFolders.insert(path);
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
      {7, "Plugins\\default.html"}, {8, "Plugins\\gen_tavrik.ini"}};
  std::vector<std::string> errors;
  // What the host answers IPC_GETINIDIRECTORYW and IPC_GETINIDIRECTORY:
  // nothing, as older hosts.
  std::u16string settingsFolderWide;
  std::string settingsFolderAnsi;
  std::vector<std::string> asked;  // "wide", "ansi", in order

  std::string moduleString(unsigned id) override { return strings.count(id) ? strings[id] : ""; }
  std::string hostExecutablePath() override { return executablePath; }
  std::u16string hostSettingsFolderWide() override {
    asked.push_back("wide");
    return settingsFolderWide;
  }
  std::string hostSettingsFolder() override {
    asked.push_back("ansi");
    return settingsFolderAnsi;
  }
  bool isLeadByte(unsigned char byte) override { return isCodePage932LeadByte(byte); }
  void showErrorMessage(const std::string& text) override { errors.push_back(text); }
};

inline const std::string kRuleFilePath = "C:\\Program Files\\Winamp\\Plugins\\gen_tavrik.cfg";
inline const std::string kSettingsFilePath = "C:\\Program Files\\Winamp\\Plugins\\gen_tavrik.ini";
inline const std::string kDefaultTemplatePath = "C:\\Program Files\\Winamp\\Plugins\\default.html";

}  // namespace tavrik::testing
