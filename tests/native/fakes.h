// Hand-written stand-ins for the platform operations, recording what they
// were asked. The files' stand-in is the disk of memory_disk.h.
#pragma once

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "common/code_page.h"
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
