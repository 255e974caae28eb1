#include "caption/caption_settings_file.h"

#include <optional>

#include "caption/profile_text.h"
#include "common/unicode_codec.h"

namespace tavrik {

namespace {

constexpr std::string_view kSection = "caption";
constexpr std::string_view kFileKey = "file";
constexpr std::string_view kIdleTemplateKey = "idle_template";
constexpr std::string_view kWhenPausedKey = "when_paused";

template <typename Char>
bool equalsAsciiIgnoringCase(const std::basic_string<Char>& text, std::string_view ascii) {
  if (text.size() != ascii.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned c = static_cast<unsigned>(text[i]);
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    if (c != static_cast<unsigned char>(ascii[i])) return false;
  }
  return true;
}

AnsiOrWide pathOf(std::string value, CodePage&) { return value; }
AnsiOrWide pathOf(std::u16string value, CodePage& codePage) {
  return narrowedWherePossible(std::move(value), codePage);
}

// The settings in `text`; nothing when when_paused holds something else.
template <typename Char>
std::optional<CaptionSettings> settingsIn(const std::basic_string<Char>& text, CodePage& codePage) {
  ProfileText<Char> profile(text);
  CaptionSettings settings;
  settings.file = pathOf(profile.value(kSection, kFileKey).value_or(std::basic_string<Char>()), codePage);
  settings.idleTemplate =
      pathOf(profile.value(kSection, kIdleTemplateKey).value_or(std::basic_string<Char>()), codePage);
  auto whenPaused = profile.value(kSection, kWhenPausedKey).value_or(std::basic_string<Char>());
  settings.idleWhenPaused = equalsAsciiIgnoringCase(whenPaused, "idle");
  if (!settings.idleWhenPaused && !whenPaused.empty() && !equalsAsciiIgnoringCase(whenPaused, "track")) {
    return std::nullopt;
  }
  return settings;
}

template <typename Char>
std::basic_string<Char> withSettings(std::basic_string<Char> text, const CaptionSettings& settings,
                                     CodePage& codePage) {
  auto asText = [&](const AnsiOrWide& value) -> std::basic_string<Char> {
    if constexpr (sizeof(Char) == 1) {
      return *exactAnsiOf(value, codePage);
    } else {
      return wideOf(value, codePage);
    }
  };
  ProfileText<Char> profile(std::move(text));
  profile.setValue(kSection, kFileKey, asText(settings.file));
  profile.setValue(kSection, kIdleTemplateKey, asText(settings.idleTemplate));
  std::string_view whenPaused = settings.idleWhenPaused ? "idle" : "track";
  profile.setValue(kSection, kWhenPausedKey, std::basic_string<Char>(whenPaused.begin(), whenPaused.end()));
  return profile.text();
}

CaptionSettingsFile garbled() {
  CaptionSettingsFile file;
  file.garbled = true;
  return file;
}

}  // namespace

CaptionSettingsFile parseCaptionSettingsFile(std::string_view bytes, CodePage& codePage) {
  CaptionSettingsFile file;
  std::optional<CaptionSettings> settings;
  if (bytes.substr(0, kUtf16LeMark.size()) == kUtf16LeMark) {
    bytes.remove_prefix(kUtf16LeMark.size());
    if (bytes.size() % 2 != 0) return garbled();
    // Units as they are: a path may hold an unpaired surrogate, and the
    // file's other lines are written back unchanged.
    std::u16string text = utf16LeUnits(bytes);
    if (text.find(u'\0') != std::u16string::npos) return garbled();
    settings = settingsIn(text, codePage);
    file.text = std::move(text);
  } else {
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return garbled();
    if (bytes.find('\0') != std::string_view::npos) return garbled();
    settings = settingsIn(std::string(bytes), codePage);
    file.text = std::string(bytes);
  }
  if (!settings) return garbled();
  file.settings = std::move(*settings);
  return file;
}

std::string formatCaptionSettingsFile(const CaptionSettings& settings, const CaptionSettingsFile& original,
                                      CodePage& codePage) {
  AnsiOrWide text = original.garbled ? AnsiOrWide() : original.text;
  bool ansiHoldsAll = exactAnsiOf(settings.file, codePage) && exactAnsiOf(settings.idleTemplate, codePage);
  if (!text.isWide() && ansiHoldsAll) return withSettings(text.ansi(), settings, codePage);
  return std::string(kUtf16LeMark) + encodeUtf16Le(withSettings(wideOf(text, codePage), settings, codePage));
}

}  // namespace tavrik
