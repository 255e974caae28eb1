#include "ui/status_lines.h"

namespace tavrik {

namespace {

std::u16string decimal(int value) {
  std::u16string digits;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude);
  return value < 0 ? u"-" + digits : digits;
}

std::u16string encoderLine(const Recorded<EncoderOutcome>& r) {
  switch (r.outcome) {
    case EncoderOutcome::nothingYet:
      return u"\u30A8\u30F3\u30B3\u30FC\u30C0\u30FC: \u307E\u3060\u4F55\u3082\u9001\u3063\u3066\u3044\u307E\u305B\u3093";
    case EncoderOutcome::delivered:
      return u"\u30A8\u30F3\u30B3\u30FC\u30C0\u30FC: \u9001\u308A\u307E\u3057\u305F";
    case EncoderOutcome::noWindow:
      return u"\u30A8\u30F3\u30B3\u30FC\u30C0\u30FC: \u30B9\u30AF\u30EA\u30D7\u30C8\u30D1\u30CD\u30EB\u306E"
             u"\u3042\u308B\u30A6\u30A3\u30F3\u30C9\u30A6\u304C\u898B\u3064\u304B\u308A\u307E\u305B\u3093";
    case EncoderOutcome::noAnswer:
      return u"\u30A8\u30F3\u30B3\u30FC\u30C0\u30FC: \u5FDC\u7B54\u304C\u3042\u308A\u307E\u305B\u3093";
    case EncoderOutcome::refused:
      return u"\u30A8\u30F3\u30B3\u30FC\u30C0\u30FC: \u62D2\u5426\u3055\u308C\u307E\u3057\u305F\u3002"
             u"\u30D7\u30EC\u30FC\u30E4\u30FC\u3088\u308A\u9AD8\u3044\u6A29\u9650\u3067\u52D5\u3044\u3066"
             u"\u3044\u307E\u3059\u3002\u4E21\u65B9\u3092\u540C\u3058\u65B9\u6CD5\u3067\u8D77\u52D5"
             u"\u3057\u3066\u304F\u3060\u3055\u3044";
  }
  return {};
}

std::u16string captionWhy(const Recorded<CaptionOutcome>& r) {
  switch (r.outcome) {
    case CaptionOutcome::held:
      return u"\u307B\u304B\u306E\u30D7\u30ED\u30B0\u30E9\u30E0\u304C\u958B\u3044\u3066\u3044\u307E\u3059";
    case CaptionOutcome::folderMissing:
      return u"\u30D5\u30A9\u30EB\u30C0\u30FC\u304C\u3042\u308A\u307E\u305B\u3093";
    case CaptionOutcome::denied:
      return u"\u66F8\u304D\u8FBC\u307F\u304C\u8A31\u53EF\u3055\u308C\u3066\u3044\u307E\u305B\u3093";
    case CaptionOutcome::diskFull:
      return u"\u30C7\u30A3\u30B9\u30AF\u304C\u3044\u3063\u3071\u3044\u3067\u3059";
    default:
      return u"\u30A8\u30E9\u30FC " + decimal(r.code);
  }
}

std::u16string fileLine(const std::u16string& head, const Recorded<CaptionOutcome>& r, const std::u16string& path) {
  switch (r.outcome) {
    case CaptionOutcome::nothingYet:
      return head + u"\u307E\u3060\u66F8\u304D\u51FA\u3057\u3066\u3044\u307E\u305B\u3093 " + path;
    case CaptionOutcome::written:
      return head + u"\u66F8\u304D\u51FA\u3057\u307E\u3057\u305F " + path;
    default:
      return head + u"\u66F8\u304D\u51FA\u305B\u307E\u305B\u3093 (" + captionWhy(r) + u") " + path;
  }
}

std::u16string obsLine(const Recorded<ObsOutcome>& r, const std::u16string& source, const std::u16string& coverSource) {
  const std::u16string head = u"OBS: ";
  switch (r.outcome) {
    case ObsOutcome::nothingYet:
      return head + u"\u307E\u3060\u4F55\u3082\u9001\u3063\u3066\u3044\u307E\u305B\u3093";
    case ObsOutcome::textSet:
      return head + u"\u300C" + source + u"\u300D\u306B\u30C6\u30AD\u30B9\u30C8\u3092\u8A2D\u5B9A\u3057\u307E\u3057\u305F";
    case ObsOutcome::notRunning:
      return head + u"\u63A5\u7D9A\u3067\u304D\u307E\u305B\u3093 (OBS \u304C\u8D77\u52D5\u3057\u3066\u3044\u306A\u3044"
                    u"\u304B\u3001WebSocket \u30B5\u30FC\u30D0\u30FC\u304C\u7121\u52B9\u3067\u3059)";
    case ObsOutcome::passwordRefused:
      return head + u"\u30D1\u30B9\u30EF\u30FC\u30C9\u304C\u62D2\u5426\u3055\u308C\u307E\u3057\u305F";
    case ObsOutcome::noSource:
      return head + u"\u300C" + source + u"\u300D\u3068\u3044\u3046\u540D\u524D\u306E\u30BD\u30FC\u30B9"
                    u"\u304C\u3042\u308A\u307E\u305B\u3093";
    case ObsOutcome::badAddress:
      return head + u"\u30A2\u30C9\u30EC\u30B9\u304C\u6B63\u3057\u304F\u3042\u308A\u307E\u305B\u3093";
    case ObsOutcome::otherFailure:
      return head + u"\u30A8\u30E9\u30FC " + decimal(r.code);
    case ObsOutcome::requestRefused:
      return head + u"\u8981\u6C42\u304C\u62D2\u5426\u3055\u308C\u307E\u3057\u305F (\u30B3\u30FC\u30C9 " + decimal(r.code) + u")";
    case ObsOutcome::coverSet:
      return head + u"\u300C" + coverSource + u"\u300D\u306B\u753B\u50CF\u3092\u8A2D\u5B9A\u3057\u307E\u3057\u305F";
    case ObsOutcome::noCoverSource:
      return head + u"\u300C" + coverSource + u"\u300D\u3068\u3044\u3046\u540D\u524D\u306E\u753B\u50CF\u30BD\u30FC\u30B9"
                    u"\u304C\u3042\u308A\u307E\u305B\u3093";
    case ObsOutcome::textSetPasswordNotAsked:
      return head + u"\u300C" + source + u"\u300D\u306B\u30C6\u30AD\u30B9\u30C8\u3092\u8A2D\u5B9A\u3057\u307E\u3057\u305F (OBS \u306F\u30D1\u30B9\u30EF\u30FC\u30C9\u3092\u6C42\u3081\u3066\u3044\u307E\u305B\u3093)";
    case ObsOutcome::noAnswer:
      return head + u"\u5FDC\u7B54\u304C\u3042\u308A\u307E\u305B\u3093 (OBS \u304C\u6B62\u307E\u3063\u3066\u3044\u308B\u304B\u3001\u5225\u306E\u30D7\u30ED\u30B0\u30E9\u30E0\u304C\u5F85\u3061\u53D7\u3051\u3066\u3044\u307E\u3059)";
    case ObsOutcome::notObsWebSocket:
      return head + u"\u76F8\u624B\u306F obs-websocket 5 \u3067\u306F\u3042\u308A\u307E\u305B\u3093 (\u30A2\u30C9\u30EC\u30B9\u3092\u78BA\u304B\u3081\u3066\u304F\u3060\u3055\u3044)";
    case ObsOutcome::connectionLost:
      return head + u"\u63A5\u7D9A\u304C\u9014\u4E2D\u3067\u5207\u308C\u307E\u3057\u305F";
    case ObsOutcome::hashingFailed:
      return head + u"\u30D1\u30B9\u30EF\u30FC\u30C9\u306E\u8A8D\u8A3C\u6587\u5B57\u5217\u3092\u8A08\u7B97\u3067\u304D\u307E\u305B\u3093\u3067\u3057\u305F";
    case ObsOutcome::passwordNotAsked:
      return head + u"\u63A5\u7D9A\u3057\u307E\u3057\u305F\u3002\u30D1\u30B9\u30EF\u30FC\u30C9\u304C\u8A2D\u5B9A\u3055\u308C\u3066\u3044\u307E\u3059\u304C\u3001OBS \u306F\u30D1\u30B9\u30EF\u30FC\u30C9\u3092\u6C42\u3081\u3066\u3044\u307E\u305B\u3093";
  }
  return {};
}

std::u16string overlayLine(const Recorded<OverlayOutcome>& r, std::uint16_t port) {
  const std::u16string head = u"\u30AA\u30FC\u30D0\u30FC\u30EC\u30A4: ";
  const std::u16string address = u"http://127.0.0.1:" + decimal(port) + u"/";
  switch (r.outcome) {
    case OverlayOutcome::off:
      return head + u"\u307E\u3060\u958B\u59CB\u3057\u3066\u3044\u307E\u305B\u3093 " + address;
    case OverlayOutcome::serving:
      return head + address + u" \u3067\u516C\u958B\u4E2D (\u958B\u3044\u3066\u3044\u308B\u30DA\u30FC\u30B8 " + decimal(r.code) + u")";
    case OverlayOutcome::portTaken:
      return head + u"\u30DD\u30FC\u30C8\u304C\u307B\u304B\u306E\u30D7\u30ED\u30B0\u30E9\u30E0\u306B\u4F7F\u308F\u308C\u3066\u3044\u307E\u3059 " + address;
    case OverlayOutcome::failed:
      return head + u"\u30B5\u30FC\u30D0\u30FC\u3092\u958B\u59CB\u3067\u304D\u307E\u305B\u3093 (\u30A8\u30E9\u30FC " + decimal(r.code) + u")";
  }
  return {};
}

template <typename Outcome>
std::u16string withTime(std::u16string line, const Recorded<Outcome>& r, const TimeOfDay& timeOfDay) {
  if (r.outcome == Outcome{}) return line;
  return line + u" (" + timeOfDay(r.at) + u")";
}

}  // namespace

std::vector<std::u16string> statusLines(const OutputsStatus& status, CodePage& codePage, const TimeOfDay& timeOfDay) {
  std::vector<std::u16string> lines;
  lines.push_back(withTime(encoderLine(status.encoder), status.encoder, timeOfDay));
  if (status.caption) {
    const std::u16string head = u"\u30AD\u30E3\u30D7\u30B7\u30E7\u30F3\u30D5\u30A1\u30A4\u30EB: ";
    lines.push_back(withTime(fileLine(head, *status.caption, wideOf(status.captionFile, codePage)), *status.caption,
                             timeOfDay));
  }
  if (status.obs) {
    lines.push_back(withTime(
        obsLine(*status.obs, wideOf(status.obsSource, codePage), wideOf(status.obsCoverSource, codePage)), *status.obs,
        timeOfDay));
  }
  if (status.overlay) {
    lines.push_back(withTime(overlayLine(*status.overlay, status.overlayPort), *status.overlay, timeOfDay));
  }
  if (status.cover) {
    const std::u16string head = u"\u30AB\u30D0\u30FC\u30D5\u30A1\u30A4\u30EB: ";
    lines.push_back(withTime(fileLine(head, *status.cover, wideOf(status.coverFile, codePage)), *status.cover,
                             timeOfDay));
  }
  return lines;
}

}  // namespace tavrik
