// The caption settings file, Plugins\gen_tavrik.ini, which users edit by hand.
// Input: one byte of choices, one byte for the length of a new file path,
// one for the length of a new idle template, those two texts, then the
// settings file's bytes. Properties:
// - a file read without fault keeps its settings when written back with
//   them, and its other keys keep their values;
// - any file, garbled or not, written with the new settings reads back as
//   exactly those settings, and a file not garbled keeps its other keys.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "caption/caption_settings_file.h"
#include "caption/profile_text.h"
#include "common/unicode_codec.h"
#include "fuzz_check.h"
#include "latin1_code_page.h"

namespace {

using tavrik::AnsiOrWide;
using tavrik::CaptionSettings;

// What the dialog's one-line edits can hold: no NUL, CR or LF.
template <typename String>
String oneLineValue(const String& text) {
  String value;
  for (auto c : text)
    if (c != 0 && c != '\r' && c != '\n') value += c;
  return value;
}

bool sameSettings(const CaptionSettings& a, const CaptionSettings& b, tavrik::CodePage& codePage) {
  return tavrik::wideOf(a.file, codePage) == tavrik::wideOf(b.file, codePage) &&
         tavrik::wideOf(a.idleTemplate, codePage) == tavrik::wideOf(b.idleTemplate, codePage) &&
         a.idleWhenPaused == b.idleWhenPaused;
}

// Keys of the file that the settings never touch, as the profile functions
// read them, compared as UTF-16 (an ANSI file may come back as UTF-16).
std::u16string otherValue(const AnsiOrWide& text, std::string_view section, std::string_view key,
                          tavrik::CodePage& codePage) {
  if (text.isWide()) {
    auto value = tavrik::ProfileText<char16_t>(text.wide()).value(section, key);
    return value ? u"=" + *value : u"none";
  }
  auto value = tavrik::ProfileText<char>(text.ansi()).value(section, key);
  return value ? u"=" + codePage.toWide(*value) : u"none";
}

void expectOtherKeysKept(const AnsiOrWide& before, const AnsiOrWide& after, tavrik::CodePage& codePage) {
  const std::pair<std::string_view, std::string_view> others[] = {
      {"caption", "x"}, {"caption", "file2"}, {"other", "file"}, {"other", "x"}};
  for (const auto& [section, key] : others) {
    fuzz::expect(otherValue(before, section, key, codePage) == otherValue(after, section, key, codePage),
                 "a key the settings do not own keeps its value");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::bytesOf(data, size);
  if (input.size() < 3) return 0;
  const unsigned choices = static_cast<unsigned char>(input[0]);
  std::size_t fileLength = std::min<std::size_t>(static_cast<unsigned char>(input[1]) % 64, input.size() - 3);
  std::size_t idleLength =
      std::min<std::size_t>(static_cast<unsigned char>(input[2]) % 64, input.size() - 3 - fileLength);
  std::string_view fileBytes = input.substr(3, fileLength);
  std::string_view idleBytes = input.substr(3 + fileLength, idleLength);
  std::string_view settingsFile = input.substr(3 + fileLength + idleLength);

  tavrik::testing::Latin1CodePage codePage;
  CaptionSettings wanted;
  // ANSI bytes, or UTF-16 units (unpaired surrogates included) for paths the
  // code page cannot hold.
  auto value = [](bool wide, std::string_view bytes) {
    return wide ? AnsiOrWide(oneLineValue(tavrik::utf16LeUnits(bytes)))
                : AnsiOrWide(oneLineValue(std::string(bytes)));
  };
  wanted.file = value(choices & 1, fileBytes);
  wanted.idleTemplate = value(choices & 2, idleBytes);
  wanted.idleWhenPaused = choices & 4;

  tavrik::CaptionSettingsFile original = tavrik::parseCaptionSettingsFile(settingsFile, codePage);
  fuzz::expect(!original.garbled || !original.settings.on(), "a garbled file means no caption file");

  if (!original.garbled) {
    tavrik::CaptionSettingsFile again = tavrik::parseCaptionSettingsFile(
        tavrik::formatCaptionSettingsFile(original.settings, original, codePage), codePage);
    fuzz::expect(!again.garbled && sameSettings(again.settings, original.settings, codePage),
                 "a file written back with its own settings reads as them");
    expectOtherKeysKept(original.text, again.text, codePage);
  }

  tavrik::CaptionSettingsFile changed = tavrik::parseCaptionSettingsFile(
      tavrik::formatCaptionSettingsFile(wanted, original, codePage), codePage);
  fuzz::expect(!changed.garbled && sameSettings(changed.settings, wanted, codePage),
               "a file written with new settings reads as them");
  if (!original.garbled) expectOtherKeysKept(original.text, changed.text, codePage);
  return 0;
}
