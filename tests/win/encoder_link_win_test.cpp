// The delivery into a real encoder-shaped program running beside the test:
// the stand-in encoder logs every message its windows get from outside.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "pipeline/encoder_link.h"
#include "pipeline/window_ops_win32.h"
#include "standin_encoder_process.h"

namespace tavrik {
namespace {

using testing::Lines;
using testing::StandinEncoder;
using testing::wholeDelivery;
using testing::operator+;

// Counts the messages that really went out through the adapter.
struct CountingWindowOps : WindowOps {
  Win32WindowOps real;
  int sends = 0;
  WindowHandle findTopLevel(const char* className) override { return real.findTopLevel(className); }
  WindowHandle findChild(WindowHandle parent, WindowHandle after, const char* className,
                         const char* name) override {
    return real.findChild(parent, after, className, name);
  }
  SendResult send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                  std::chrono::milliseconds wait) override {
    ++sends;
    return real.send(window, message, wParam, lParam, wait);
  }
  SendResult sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                      std::chrono::milliseconds wait) override {
    ++sends;
    return real.sendWide(window, message, wParam, lParam, wait);
  }
  RightsComparison rightsOf(WindowHandle window) override { return real.rightsOf(window); }
};

class EncoderLinkWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The Script panel's name is searched by its code page 932 bytes.
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_EQ(FindWindowA("MS Windows Media Encoder", nullptr), nullptr)
        << "an encoder from an earlier test is still running";
  }
  CountingWindowOps windows;
  EncoderLink link{windows};
};

TEST_F(EncoderLinkWinTest, TheTextReachesTheScriptPanelBetweenTwoClicks) {
  StandinEncoder encoder("whole", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  // Japanese with a trail byte that is a backslash, half-width kana, markup.
  const std::string text =
      "<p class=\"t\">\x95\x5c\x8e\xa6 \x83X\x83N\x83\x8a\x83v\x83g \xb1\xb2 &amp; 'a' \\ end</p>";
  EXPECT_EQ(link.deliverToEncoder(text), EncoderOutcome::delivered);
  link.deliverToEncoder("");
  EXPECT_EQ(encoder.messages(), wholeDelivery(text) + wholeDelivery(""));
  EXPECT_EQ(windows.sends, 10);
  // A program of the same user, started the same way: no higher rights.
  EXPECT_EQ(windows.real.rightsOf(FindWindowA("MS Windows Media Encoder", nullptr)),
            RightsComparison::sameOrLower);
}

TEST_F(EncoderLinkWinTest, AUnicodeTextArrivesAsItsUtf16) {
  StandinEncoder encoder("wide", "--wide");
  ASSERT_TRUE(encoder.waitUntilReady());
  // "Beyoncé", "Sigur Rós", Hangul, "♡" and an emoji: none in code page 932.
  const std::u16string text = u"<p>Beyonc\u00E9 &amp; Sigur R\u00F3s \uD55C\uAD6D\uC5B4 \u2661 \U0001F3B5</p>";
  link.deliverToEncoder(text);
  // ANSI bytes still go as ANSI bytes; the control reads them as Japanese.
  link.deliverToEncoder("\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(encoder.messages(), testing::wideDelivery(text) + testing::wideDelivery(u"\u30C6\u30B9\u30C8"));
}

TEST_F(EncoderLinkWinTest, NothingIsSentWhenTheEncoderIsNotRunning) {
  EXPECT_EQ(link.deliverToEncoder("text"), EncoderOutcome::noWindow);
  EXPECT_EQ(windows.sends, 0);
}

TEST_F(EncoderLinkWinTest, NothingIsSentIntoABrokenLayout) {
  for (const char* layout : {"--missing-level 2", "--missing-level 3", "--missing-level 4",
                             "--missing-level 5", "--controls 0", "--controls 1", "--controls 2",
                             "--controls 3", "--controls 4", "--controls 5"}) {
    SCOPED_TRACE(layout);
    windows.sends = 0;
    StandinEncoder encoder("broken", layout);
    ASSERT_TRUE(encoder.waitUntilReady());
    link.deliverToEncoder("text");
    EXPECT_EQ(windows.sends, 0);
    // Sends are synchronous: anything sent would be in the log by now.
    EXPECT_EQ(encoder.lines(), Lines{"ready"});
  }
}

TEST_F(EncoderLinkWinTest, AHungEncoderCostsOneTimeOutAndTheNextTrackArrivesWhole) {
  // The encoder stops answering for four seconds when the text arrives.
  StandinEncoder encoder("hung", "--hang 4 --hang-on 3");
  ASSERT_TRUE(encoder.waitUntilReady());
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(link.deliverToEncoder("one"), EncoderOutcome::noAnswer);
  ULONGLONG took = GetTickCount64() - start;
  // Back well before the encoder answers again; the last click is dropped.
  EXPECT_LT(took, 3000u);
  const Lines one = wholeDelivery("one");
  const Lines firstThree(one.begin(), one.begin() + 3);
  EXPECT_EQ(encoder.messages(), firstThree);
  EXPECT_EQ(windows.sends, 3);

  ASSERT_TRUE(encoder.waitFor("resumed", 10000));
  // The encoder answers again: the next track goes through whole.
  link.deliverToEncoder("two");
  EXPECT_EQ(encoder.messages(), firstThree + wholeDelivery("two"));
}

TEST_F(EncoderLinkWinTest, QuitsDeadlineCutsTheWaitShortAndThenNothingIsSent) {
  StandinEncoder encoder("deadline", "--hang 4");
  ASSERT_TRUE(encoder.waitUntilReady());
  ULONGLONG start = GetTickCount64();
  link.endWaitsBy(std::chrono::steady_clock::now() + std::chrono::milliseconds(200));
  link.deliverToEncoder("one");
  // Given up at the deadline, not after the usual second.
  EXPECT_LT(GetTickCount64() - start, 800u);
  link.deliverToEncoder("two");
  ASSERT_TRUE(encoder.waitFor("resumed", 10000));
  EXPECT_EQ(encoder.messages(), Lines{"c1 0201 1 10001"});
}

}  // namespace
}  // namespace tavrik
