#include "caption/caption_settings_file.h"

#include <optional>

#include "caption/profile_text.h"
#include "common/ascii.h"
#include "common/unicode_codec.h"

namespace tavrik {

namespace {

constexpr std::string_view kSection = "caption";
constexpr std::string_view kFileKey = "file";
constexpr std::string_view kIdleTemplateKey = "idle_template";
constexpr std::string_view kWhenPausedKey = "when_paused";
constexpr std::string_view kTemplateKey = "template";
constexpr std::string_view kObsSection = "obs";
constexpr std::string_view kObsAddressKey = "address";
constexpr std::string_view kObsPasswordKey = "password";
constexpr std::string_view kObsSourceKey = "source";
constexpr std::string_view kOverlaySection = "overlay";
constexpr std::string_view kOverlayPortKey = "port";
constexpr std::string_view kOverlayStyleKey = "style";
constexpr std::string_view kShowForKey = "show_for";
constexpr std::string_view kHideTextKey = "hide_text";
constexpr std::string_view kOverlayCoverKey = "cover";
constexpr std::string_view kObsCoverSourceKey = "cover_source";
constexpr std::string_view kCoverSection = "cover";
constexpr std::string_view kCoverNoneKey = "none";

AnsiOrWide pathOf(std::string value, CodePage&) { return value; }
AnsiOrWide pathOf(std::u16string value, CodePage& codePage) {
  return narrowedWherePossible(std::move(value), codePage);
}

// The settings in `text`; nothing when when_paused holds something else.
template <typename Char>
std::optional<CaptionSettings> settingsIn(const std::basic_string<Char>& text, CodePage& codePage) {
  ProfileText<Char> profile(text);
  auto read = [&](std::string_view section, std::string_view key) {
    return pathOf(profile.value(section, key).value_or(std::basic_string<Char>()), codePage);
  };
  CaptionSettings settings;
  settings.file = read(kSection, kFileKey);
  settings.idleTemplate = read(kSection, kIdleTemplateKey);
  settings.plainTemplate = read(kSection, kTemplateKey);
  settings.obs.address = read(kObsSection, kObsAddressKey);
  settings.obs.password = read(kObsSection, kObsPasswordKey);
  settings.obs.source = read(kObsSection, kObsSourceKey);
  settings.obs.plainTemplate = read(kObsSection, kTemplateKey);
  settings.overlay.port = read(kOverlaySection, kOverlayPortKey);
  settings.overlay.htmlTemplate = read(kOverlaySection, kTemplateKey);
  settings.overlay.style = read(kOverlaySection, kOverlayStyleKey);
  settings.overlay.showFor = read(kOverlaySection, kShowForKey);
  settings.showFor = read(kSection, kShowForKey);
  settings.obs.showFor = read(kObsSection, kShowForKey);
  settings.obs.hideText = read(kObsSection, kHideTextKey);
  settings.hideText = read(kSection, kHideTextKey);
  settings.overlay.cover = read(kOverlaySection, kOverlayCoverKey);
  settings.obs.coverSource = read(kObsSection, kObsCoverSourceKey);
  settings.cover.file = read(kCoverSection, kFileKey);
  settings.cover.none = read(kCoverSection, kCoverNoneKey);
  const auto whenPaused = profile.value(kSection, kWhenPausedKey).value_or(std::basic_string<Char>());
  const std::basic_string_view<Char> paused(whenPaused);
  settings.idleWhenPaused = equalsIgnoringAsciiCase(paused, std::string_view("idle"));
  if (!settings.idleWhenPaused && !paused.empty() && !equalsIgnoringAsciiCase(paused, std::string_view("track"))) {
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
  // The newer keys only where they say something or were there already: a
  // file whose user turned nothing new on is written as it always was.
  auto setIfUsed = [&](std::string_view section, std::string_view key, const AnsiOrWide& value) {
    if (!value.empty() || profile.value(section, key)) profile.setValue(section, key, asText(value));
  };
  setIfUsed(kSection, kTemplateKey, settings.plainTemplate);
  setIfUsed(kObsSection, kObsAddressKey, settings.obs.address);
  setIfUsed(kObsSection, kObsPasswordKey, settings.obs.password);
  setIfUsed(kObsSection, kObsSourceKey, settings.obs.source);
  setIfUsed(kObsSection, kTemplateKey, settings.obs.plainTemplate);
  setIfUsed(kOverlaySection, kOverlayPortKey, settings.overlay.port);
  setIfUsed(kOverlaySection, kTemplateKey, settings.overlay.htmlTemplate);
  setIfUsed(kOverlaySection, kOverlayStyleKey, settings.overlay.style);
  setIfUsed(kOverlaySection, kShowForKey, settings.overlay.showFor);
  setIfUsed(kSection, kShowForKey, settings.showFor);
  setIfUsed(kObsSection, kShowForKey, settings.obs.showFor);
  setIfUsed(kObsSection, kHideTextKey, settings.obs.hideText);
  setIfUsed(kSection, kHideTextKey, settings.hideText);
  setIfUsed(kOverlaySection, kOverlayCoverKey, settings.overlay.cover);
  setIfUsed(kObsSection, kObsCoverSourceKey, settings.obs.coverSource);
  setIfUsed(kCoverSection, kFileKey, settings.cover.file);
  setIfUsed(kCoverSection, kCoverNoneKey, settings.cover.none);
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
  bool ansiHoldsAll = true;
  for (const AnsiOrWide* value : {&settings.file, &settings.idleTemplate, &settings.plainTemplate, &settings.obs.address,
                                  &settings.obs.password, &settings.obs.source, &settings.obs.plainTemplate,
                                  &settings.overlay.port, &settings.overlay.htmlTemplate, &settings.overlay.style,
                                  &settings.overlay.showFor, &settings.overlay.cover, &settings.obs.coverSource,
                                  &settings.cover.file, &settings.cover.none, &settings.showFor, &settings.hideText,
                                  &settings.obs.showFor, &settings.obs.hideText}) {
    ansiHoldsAll = ansiHoldsAll && exactAnsiOf(*value, codePage).has_value();
  }
  if (!text.isWide() && ansiHoldsAll) return withSettings(text.ansi(), settings, codePage);
  return std::string(kUtf16LeMark) + encodeUtf16Le(withSettings(wideOf(text, codePage), settings, codePage));
}

}  // namespace tavrik
