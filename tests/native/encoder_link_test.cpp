#include "pipeline/encoder_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "common/cp932_texts.h"
#include "common/unicode_codec.h"

namespace tavrik {
namespace {

constexpr unsigned kSetText = 0x000C;
constexpr unsigned kDown = 0x0201;
constexpr unsigned kUp = 0x0202;

// One message as the fake saw it: the window's label, whether it went as a
// Unicode message, and for WM_SETTEXT the text read through the pointer (as
// UTF-8 when it was UTF-16).
struct Sent {
  std::string window;
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  std::string text;
  bool wide = false;
  bool operator==(const Sent& o) const {
    return window == o.window && message == o.message && wParam == o.wParam && wide == o.wide &&
           (message == kSetText ? text == o.text : lParam == o.lParam);
  }
};
std::ostream& operator<<(std::ostream& out, const Sent& s) {
  return out << s.window << ' ' << std::hex << s.message << ' ' << s.wParam << ' ' << s.lParam
             << (s.wide ? " wide" : "") << " \"" << s.text << '"';
}

// A window tree searched as FindWindowA/FindWindowExA search: children in
// their order, class and name compared byte for byte, null fits any.
class FakeWindowTree : public WindowOps {
 public:
  int add(int parent, std::string className, std::string name, std::string label = "") {
    nodes_.push_back({parent, std::move(className), std::move(name), std::move(label)});
    return static_cast<int>(nodes_.size());
  }

  WindowHandle findTopLevel(const char* className) override {
    return first(0, 0, className, nullptr);
  }
  WindowHandle findChild(WindowHandle parent, WindowHandle after, const char* className, const char* name) override {
    int p = id(parent);
    if (p == 0) return nullptr;  // the walk never searches the desktop by FindWindowEx
    int a = id(after);
    if (a != 0 && nodes_[a - 1].parent != p) return nullptr;
    return first(p, a, className, name);
  }
  SendResult send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                  std::chrono::milliseconds) override {
    std::string text;
    if (message == kSetText) text = reinterpret_cast<const char*>(lParam);
    return record(window, message, wParam, lParam, text, false);
  }
  SendResult sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam,
                      std::intptr_t lParam,
                  std::chrono::milliseconds) override {
    std::string text;
    if (message == kSetText) text = encodeUtf8(reinterpret_cast<const char16_t*>(lParam));
    return record(window, message, wParam, lParam, text, true);
  }
  RightsComparison rightsOf(WindowHandle window) override {
    rightsAsked.push_back(window);
    return rights;
  }

  std::vector<Sent> sent;
  int failingSend = 0;  // 1-based; this send goes unanswered
  std::uint32_t failingError = 1460;  // ERROR_TIMEOUT, as a time-out leaves it
  RightsComparison rights = RightsComparison::sameOrLower;
  std::vector<WindowHandle> rightsAsked;

 private:
  struct Node {
    int parent;
    std::string className, name, label;
  };
  SendResult record(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                    const std::string& text, bool wide) {
    const Node& node = nodes_.at(id(window) - 1);
    sent.push_back({node.label.empty() ? node.name : node.label, message, wParam, lParam, text, wide});
    if (static_cast<int>(sent.size()) == failingSend) return {false, failingError};
    return {true, 0};
  }
  static int id(WindowHandle w) { return static_cast<int>(reinterpret_cast<std::intptr_t>(w)); }
  static WindowHandle handle(int i) { return reinterpret_cast<WindowHandle>(static_cast<std::intptr_t>(i)); }
  static bool fits(const char* wanted, const std::string& actual) {
    return !wanted || actual == wanted;
  }
  WindowHandle first(int parent, int after, const char* className, const char* name) {
    for (int i = after + 1; i <= static_cast<int>(nodes_.size()); ++i) {
      const Node& n = nodes_[i - 1];
      if (n.parent == parent && fits(className, n.className) && fits(name, n.name)) return handle(i);
    }
    return nullptr;
  }
  std::vector<Node> nodes_;
};

// The encoder as it is docked, with look-alikes around the path: a window of
// the right class but another name, or the right name but another class,
// before each level, a second panel and a window beside the panel. `missingLevel` (1 to 5) leaves that window out and
// docks what it held in its parent; `controls` is the panel's child count.
struct EncoderLayout {
  int missingLevel = 0;
  int controls = 7;
};

void buildEncoder(FakeWindowTree& tree, EncoderLayout layout) {
  tree.add(0, "Notepad", "MS Windows Media Encoder");
  int level = 0;
  auto step = [&](int number, int parent, const char* cls, const char* name) {
    return layout.missingLevel == number ? parent : tree.add(parent, cls, name);
  };
  level = step(1, 0, "MS Windows Media Encoder", "Windows Media Encoder");
  tree.add(level, "Titan:CAlignWindow", "ScrollDockHolder");
  tree.add(level, "Titan:CScrollWindow", "ScrollDock");
  level = step(2, level, "Titan:CScrollWindow", "ScrollDockHolder");
  tree.add(level, "Titan:CScrollWindow", "MainDock");
  level = step(3, level, "Titan:CAlignWindow", "MainDock");
  int video = tree.add(level, "Titan:CAlignWindow", "Video");
  tree.add(tree.add(video, "Panel", ""), "Button", "", "video c1");
  tree.add(level, "Titan:CAlignWindow", "\xe3\x82\xb9\xe3\x82\xaf\xe3\x83\xaa\xe3\x83\x97\xe3\x83\x88");
  level = step(4, level, "Titan:CAlignWindow", texts::kScriptPanelName);
  int panel = step(5, level, "Panel", "");
  const char* classes[] = {"Button", "Static", "ComboBox", "Static", "Edit", "Button", "Button"};
  for (int i = 0; i < layout.controls; ++i) {
    tree.add(panel, classes[i], "", "c" + std::to_string(i + 1));
  }
  tree.add(level, "Panel", "", "beside the panel");
  tree.add(tree.add(level, "Panel", ""), "Button", "", "second panel c1");
}

// `wide`: the text goes as a Unicode WM_SETTEXT; `text` is then its UTF-8.
std::vector<Sent> wholeDelivery(const std::string& text, bool wide = false) {
  return {{"c1", kDown, 1, 0x00010001, ""}, {"c1", kUp, 0, 0x00010001, ""},
          {"c5", kSetText, 0, 0, text, wide}, {"c6", kDown, 1, 0x00010001, ""},
          {"c6", kUp, 0, 0x00010001, ""}};
}

TEST(EncoderLinkTest, ClicksTheFirstControlSetsTheFifthClicksTheSixth) {
  FakeWindowTree tree;
  buildEncoder(tree, {});
  EncoderLink link(tree);
  // Japanese in code page 932, with a trail byte that is a backslash.
  const std::string text = "<p>\x95\x5c\x8e\xa6 \"a&amp;b\"</p>";
  link.deliverToEncoder(text);
  EXPECT_EQ(tree.sent, wholeDelivery(text));

  tree.sent.clear();
  link.deliverToEncoder("");
  EXPECT_EQ(tree.sent, wholeDelivery(""));
}

TEST(EncoderLinkTest, AUnicodeTextGoesAsAUnicodeSetTextBetweenTheSameClicks) {
  FakeWindowTree tree;
  buildEncoder(tree, {});
  EncoderLink link(tree);
  // "Beyoncé ♡ 한" and an emoji, beyond any ANSI code page of theirs.
  link.deliverToEncoder(u"Beyonc\u00E9 \u2661 \uD55C \U0001F3B5");
  EXPECT_EQ(tree.sent, wholeDelivery("Beyonc\xC3\xA9 \xE2\x99\xA1 \xED\x95\x9C \xF0\x9F\x8E\xB5", true));
}

TEST(EncoderLinkTest, AMissingLevelSendsNothing) {
  for (int level = 1; level <= 5; ++level) {
    FakeWindowTree tree;
    buildEncoder(tree, {level, 7});
    EncoderLink(tree).deliverToEncoder("text");
    EXPECT_TRUE(tree.sent.empty()) << "level " << level << " missing, first sent to "
                                   << (tree.sent.empty() ? Sent{} : tree.sent[0]);
  }
}

TEST(EncoderLinkTest, APanelWithFewerThanSixControlsGetsNothing) {
  for (int controls = 0; controls <= 6; ++controls) {
    FakeWindowTree tree;
    buildEncoder(tree, {0, controls});
    EncoderLink(tree).deliverToEncoder("text");
    if (controls == 6) {
      EXPECT_EQ(tree.sent, wholeDelivery("text"));
    } else {
      EXPECT_TRUE(tree.sent.empty()) << controls << " controls";
    }
  }
}

TEST(EncoderLinkTest, OnlyTheFirstWindowThatFitsIsTried) {
  // Two encoders: the first has no Script panel docked. The search does not
  // go on to the second, as FindWindow would not.
  FakeWindowTree tree;
  buildEncoder(tree, {4, 7});
  buildEncoder(tree, {});
  EncoderLink(tree).deliverToEncoder("text");
  EXPECT_TRUE(tree.sent.empty());
}

TEST(EncoderLinkTest, EachOutcomeIsToldByTheErrorCodeAndKeptForTheDialog) {
  FakeWindowTree tree;
  buildEncoder(tree, {});
  EncoderLink link(tree);
  EXPECT_EQ(link.status().outcome, EncoderOutcome::nothingYet);
  const auto before = std::chrono::system_clock::now() - std::chrono::seconds(1);
  EXPECT_EQ(link.deliverToEncoder("a"), EncoderOutcome::delivered);
  EXPECT_EQ(link.status().outcome, EncoderOutcome::delivered);
  EXPECT_GE(link.status().at, before);

  struct Case {
    std::uint32_t error;
    RightsComparison rights;
    EncoderOutcome outcome;
  };
  const Case cases[] = {
      {1460, RightsComparison::sameOrLower, EncoderOutcome::noAnswer},  // ERROR_TIMEOUT
      {0, RightsComparison::sameOrLower, EncoderOutcome::noAnswer},     // a hung encoder, skipped at once
      {5, RightsComparison::higher, EncoderOutcome::refused},           // ERROR_ACCESS_DENIED from above
      {5, RightsComparison::unknown, EncoderOutcome::refused},          // its rights cannot be read: denied all the same
      {5, RightsComparison::sameOrLower, EncoderOutcome::noAnswer},     // not the message filter
      {1400, RightsComparison::higher, EncoderOutcome::noWindow},       // ERROR_INVALID_WINDOW_HANDLE: gone meanwhile
  };
  for (const Case& c : cases) {
    tree.sent.clear();
    tree.rightsAsked.clear();
    tree.failingSend = 3;  // the text
    tree.failingError = c.error;
    tree.rights = c.rights;
    EXPECT_EQ(link.deliverToEncoder("b"), c.outcome) << "error " << c.error;
    EXPECT_EQ(link.status().outcome, c.outcome);
    EXPECT_EQ(tree.sent.size(), 3u) << "nothing after the failed message";
    // The rights are asked only about a refusal, of the refusing window.
    EXPECT_EQ(tree.rightsAsked.size(), c.error == 5 ? 1u : 0u);
  }
  FakeWindowTree none;
  EXPECT_EQ(EncoderLink(none).deliverToEncoder("c"), EncoderOutcome::noWindow);
}

TEST(EncoderLinkTest, AnUnansweredMessageEndsTheDelivery) {
  const std::vector<Sent> whole = wholeDelivery("text");
  for (int failing = 1; failing <= 5; ++failing) {
    FakeWindowTree tree;
    buildEncoder(tree, {});
    tree.failingSend = failing;
    EncoderLink link(tree);
    link.deliverToEncoder("text");
    EXPECT_EQ(tree.sent, std::vector<Sent>(whole.begin(), whole.begin() + failing))
        << "send " << failing << " unanswered";
    // The next track is delivered whole again.
    tree.sent.clear();
    tree.failingSend = 0;
    link.deliverToEncoder("next");
    EXPECT_EQ(tree.sent, wholeDelivery("next"));
  }
}

}  // namespace
}  // namespace tavrik
