// The stand-in player's own rules: how it reads an M3U list, what it writes in
// its title bar, and the command-line script a test drives it with.
#include <gtest/gtest.h>

#include "standins/host/host_script.h"
#include "standins/host/playlist.h"

namespace standin {
namespace {

bool cp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool noLead(unsigned char) { return false; }

// "表" in code page 932 ends in 0x5C, the byte of a backslash.
const std::string kHyo = "\x95\x5C";

TEST(StandinPlaylist, FolderAndStemStepOverDoubleByteTrailBackslashes) {
  EXPECT_EQ(folderOf("C:\\" + kHyo + "\\list.m3u", cp932Lead), "C:\\" + kHyo);
  EXPECT_EQ(folderOf("C:\\music\\" + kHyo, cp932Lead), "C:\\music");
  EXPECT_EQ(folderOf("C:/music/list.m3u", cp932Lead), "C:/music");
  EXPECT_EQ(folderOf("list.m3u", cp932Lead), "");
  // Without the code page's knowledge the trail byte would cut the name.
  EXPECT_EQ(folderOf("C:\\music\\" + kHyo, noLead), "C:\\music\\\x95");

  EXPECT_EQ(stemOf("C:\\music\\" + kHyo + ".mp3", cp932Lead), kHyo);
  EXPECT_EQ(stemOf("C:\\music\\a.b.mp3", cp932Lead), "a.b");
  EXPECT_EQ(stemOf("C:\\music\\.hidden", cp932Lead), ".hidden");
  EXPECT_EQ(stemOf("noext", cp932Lead), "noext");
}

TEST(StandinPlaylist, EntriesResolveAgainstTheListsFolder) {
  EXPECT_EQ(resolveEntry("Z:\\lists", "a.mp3"), "Z:\\lists\\a.mp3");
  EXPECT_EQ(resolveEntry("Z:\\lists", "sub\\a.mp3"), "Z:\\lists\\sub\\a.mp3");
  EXPECT_EQ(resolveEntry("Z:\\lists", "..\\a.mp3"), "Z:\\lists\\..\\a.mp3");
  EXPECT_EQ(resolveEntry("Z:\\lists", "C:\\abs\\a.mp3"), "C:\\abs\\a.mp3");
  EXPECT_EQ(resolveEntry("Z:\\lists", "c:/abs/a.mp3"), "c:/abs/a.mp3");
  EXPECT_EQ(resolveEntry("Z:\\lists", "\\root\\a.mp3"), "Z:\\root\\a.mp3");
  EXPECT_EQ(resolveEntry("Z:\\lists", "\\\\server\\share\\a.mp3"), "\\\\server\\share\\a.mp3");
  EXPECT_EQ(resolveEntry("", "a.mp3"), "a.mp3");
  // A stream is its address, wherever the list lies; a drive is no scheme.
  EXPECT_EQ(resolveEntry("Z:\\lists", "http://radio.example:8000/live"), "http://radio.example:8000/live");
  EXPECT_TRUE(isStreamEntry("https://a"));
  EXPECT_FALSE(isStreamEntry("C://a.mp3"));
  EXPECT_FALSE(isStreamEntry("Z:\\lists\\http://a"));
}

TEST(StandinPlaylist, M3uSkipsCommentsAndEmptyLinesAndKeepsBytes) {
  std::string m3u = "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\n\r\n"
                    "C:\\x\\" + kHyo + ".mp3\n  spaced .mp3\r\nlast.mp3";
  auto entries = parseM3u(m3u, "Z:\\l");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], "Z:\\l\\a.mp3");
  EXPECT_EQ(entries[1], "C:\\x\\" + kHyo + ".mp3");
  EXPECT_EQ(entries[2], "Z:\\l\\  spaced .mp3");
  EXPECT_EQ(entries[3], "Z:\\l\\last.mp3");
  EXPECT_TRUE(parseM3u("", "Z:\\l").empty());
  EXPECT_TRUE(parseM3u("#only\r\n\r\n", "Z:\\l").empty());
}

TEST(StandinPlaylist, AnM3u8ListIsUtf8) {
  EXPECT_TRUE(isUtf8Playlist("Z:\\l\\list.m3u8"));
  EXPECT_TRUE(isUtf8Playlist("LIST.M3U8"));
  EXPECT_FALSE(isUtf8Playlist("Z:\\l\\list.m3u"));
  EXPECT_FALSE(isUtf8Playlist("m3u8"));
  EXPECT_EQ(withoutUtf8Mark("\xEF\xBB\xBF" "a.mp3"), "a.mp3");
  EXPECT_EQ(withoutUtf8Mark("a.mp3"), "a.mp3");
  // UTF-8 has no trail byte that is a backslash: its titles need no lead bytes.
  std::vector<std::string> entries = parseM3u(withoutUtf8Mark("\xEF\xBB\xBF\xED\x95\x9C.mp3\r\n"), "Z:\\l");
  EXPECT_EQ(stemOf(entries[0], noLead), "\xED\x95\x9C");
}

TEST(StandinPlaylist, TitleNumbersFromOneAndMarksPause) {
  std::vector<std::string> names = {"First Song", kHyo};
  EXPECT_EQ(titleFor(names, 0, Playback::Playing), "1. First Song - Winamp");
  EXPECT_EQ(titleFor(names, 1, Playback::Playing), "2. " + kHyo + " - Winamp");
  EXPECT_EQ(titleFor(names, 1, Playback::Paused), "2. " + kHyo + " - Winamp [Paused]");
  EXPECT_EQ(titleFor(names, 1, Playback::Stopped), "2. " + kHyo + " - Winamp [Stopped]");
  EXPECT_EQ(titleFor(names, 2, Playback::Playing), "Winamp");
  EXPECT_EQ(titleFor({}, 0, Playback::Paused), "Winamp");
}

TEST(StandinScript, OptionsAndStepsInOrder) {
  auto parsed = parseCommandLine({"--playlist", "l.m3u", "--interval", "300", "--log", "h.log",
                                  "play", "play:2", "pause", "stop", "refresh", "repeat", "config",
                                  "config:gen_x.dll", "wait:1500", "bench:10", "bench-tracks:200",
                                  "bench-latency:30", "song:Tom %26 Jerry - %ED%95%9C", "song:", "exit",
                                  "--exit-after", "9", "--init-failure", "unload", "--wide-requests", "no",
                                  "--window", "unicode", "--scroll", "200"});
  ASSERT_EQ(parsed.error, "");
  const HostOptions& o = parsed.options;
  EXPECT_EQ(o.playlist, "l.m3u");
  EXPECT_EQ(o.log, "h.log");
  EXPECT_EQ(o.intervalMs, 300u);
  EXPECT_EQ(o.exitAfterSeconds, 9u);
  EXPECT_TRUE(o.unloadOnInitFailure);
  EXPECT_FALSE(o.wideRequests);
  EXPECT_TRUE(o.unicodeWindow);
  EXPECT_EQ(o.scrollMs, 200u);
  std::vector<StepKind> kinds;
  for (const auto& s : o.steps) kinds.push_back(s.kind);
  EXPECT_EQ(kinds, (std::vector<StepKind>{StepKind::PlayAll, StepKind::PlayIndex, StepKind::Pause,
                                          StepKind::Stop, StepKind::Refresh, StepKind::Repeat, StepKind::Config,
                                          StepKind::Config, StepKind::Wait, StepKind::Bench,
                                          StepKind::BenchTracks, StepKind::BenchLatency, StepKind::Song,
                                          StepKind::Song, StepKind::Exit}));
  EXPECT_EQ(o.steps[1].number, 2u);
  EXPECT_EQ(o.steps[6].name, "");
  EXPECT_EQ(o.steps[7].name, "gen_x.dll");
  EXPECT_EQ(o.steps[8].number, 1500u);
  EXPECT_EQ(o.steps[9].number, 10u);
  EXPECT_EQ(o.steps[10].number, 200u);
  EXPECT_EQ(o.steps[11].number, 30u);
  EXPECT_EQ(o.steps[1].text, "play:2");
  EXPECT_EQ(o.steps[12].name, "Tom & Jerry - \xED\x95\x9C") << "the song's title, %-decoded UTF-8";
  EXPECT_EQ(o.steps[13].name, "") << "a stream still connecting";
}

TEST(StandinScript, DefaultsAndTheBenchmarkFlagRunsFirst) {
  auto parsed = parseCommandLine({"play:1", "--bench-retitles", "500", "exit"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.intervalMs, 500u);
  EXPECT_EQ(parsed.options.exitAfterSeconds, 60u);
  EXPECT_FALSE(parsed.options.unloadOnInitFailure);
  EXPECT_TRUE(parsed.options.wideRequests);
  EXPECT_FALSE(parsed.options.unicodeWindow);
  EXPECT_EQ(parsed.options.iniDirectory, "");
  EXPECT_FALSE(parsed.options.iniDirectoryWideGiven);
  ASSERT_EQ(parsed.options.steps.size(), 3u);
  EXPECT_EQ(parsed.options.steps[0].kind, StepKind::Bench);
  EXPECT_EQ(parsed.options.steps[0].number, 500u);
  EXPECT_EQ(parsed.options.steps[0].text, "bench:500");
  EXPECT_EQ(parsed.options.steps[1].kind, StepKind::PlayIndex);
}

// Both requests, 1335 alone (a folder the code page cannot name), 335 alone.
TEST(StandinScript, TheSettingsFolderIsAnsweredToEitherRequestOrToNeither) {
  auto both = parseCommandLine({"--ini-dir", "C:\\Users\\me\\Winamp", "exit"}).options;
  EXPECT_EQ(both.iniDirectory, "C:\\Users\\me\\Winamp");
  EXPECT_FALSE(both.iniDirectoryWideGiven);
  // 한 from the UTF-16 command line, "?" in the ANSI one.
  auto wideOnly = parseCommandLine({"--ini-dir-w", "C:\\?\\Winamp", "exit"},
                                   {"--ini-dir-w", "C:\\\xED\x95\x9C\\Winamp", "exit"})
                      .options;
  EXPECT_EQ(wideOnly.iniDirectory, "");
  EXPECT_TRUE(wideOnly.iniDirectoryWideGiven);
  EXPECT_EQ(wideOnly.iniDirectoryWide, "C:\\\xED\x95\x9C\\Winamp");
  auto ansiOnly = parseCommandLine({"--ini-dir", "C:\\W", "--ini-dir-w", "none"}).options;
  EXPECT_EQ(ansiOnly.iniDirectory, "C:\\W");
  EXPECT_TRUE(ansiOnly.iniDirectoryWideGiven);
  EXPECT_EQ(ansiOnly.iniDirectoryWide, "");
  EXPECT_EQ(parseCommandLine({"--ini-dir", "none"}).options.iniDirectory, "");
  EXPECT_NE(parseCommandLine({"--ini-dir"}).error, "");
}

TEST(StandinScript, BadCommandLinesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"jump"},           {"play:"},          {"play:x"},        {"play:-1"},
      {"pause:1"},        {"exit:now"},       {"wait"},          {"wait:1.5"},
      {"bench:0"},        {"bench-tracks:0"}, {"bench-tracks"}, {"bench-latency:0"}, {"config:"},        {"--interval"},    {"--interval", "fast"},
      {"--exit-after", "0"}, {"--bench-retitles", "0"}, {"--init-failure", "ignore"},
      {"--volume", "3"},  {"wait:1234567890"}, {"--wide-requests", "maybe"}, {"--window", "wide"},
      {"song"}, {"song:50%"}, {"song:%4"}, {"song:%zz"}, {"--scroll", "0"}};
  for (const auto& args : bad) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_NE(parseCommandLine(args).error, "") << joined;
  }
}

TEST(StandinScript, PlayAllIsEachEntryThenTheInterval) {
  auto steps = expandPlayAll(2, 250);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].kind, StepKind::PlayIndex);
  EXPECT_EQ(steps[0].number, 0u);
  EXPECT_EQ(steps[1].kind, StepKind::Wait);
  EXPECT_EQ(steps[1].number, 250u);
  EXPECT_EQ(steps[2].number, 1u);
  EXPECT_EQ(steps[2].text, "play:1");
  EXPECT_TRUE(expandPlayAll(0, 250).empty());
}

}  // namespace
}  // namespace standin
