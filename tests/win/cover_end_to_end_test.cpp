// The cover of the whole plug-in in the stand-in player, against the real
// counterparts: OBS Studio's image source shows each track's picture (told
// through SetInputSettings, compared with what OBS shows of the same
// picture given directly), the cover file holds its bytes, and the overlay
// page in headless Chromium shows it together with the track's caption.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "caption/cover_writer.h"
#include "common/unicode_codec.h"
#include "obs_fixture.h"
#include "page_watcher.h"
#include "player_folder.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing::obs;
using testing::PageWatcher;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::Seen;
using testing::windowsPath;
using testing::writeFileBytes;

// The folder make_covers.sh filled, as a Unix path.
std::string coversUnix() {
  const char* folder = getenv("TAVRIK_COVERS");
  return folder ? folder : "";
}

// Its own port beside the fixture's OBS, so that both builds can run at once.
int overlayPort() { return std::stoi(obsAddress().substr(obsAddress().rfind(':') + 1)) + 90; }

// The tracks of make_covers.sh's end-to-end folder, their titles and the
// pictures they show, as the page sees them.
struct Track {
  std::string file, title, picture, size;
};
const std::vector<Track> kTracks = {{"e2e/red.mp3", "Red", "red.jpg", "64x64"},
                                    {"e2e/blue.mp3", "Blue", "blue.png", "48x48"},
                                    {"e2e/folder/yellow.mp3", "Yellow", "yellow.png", "40x40"},
                                    {"e2e/none.mp3", "None", "", "-"}};

class CoverEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(fixtureUnix().empty()) << "the fixture's folder is not set";
    ASSERT_FALSE(coversUnix().empty()) << "the covers' folder is not set";
  }
};

TEST_F(CoverEndToEnd, EachTracksPictureReachesOBSsImageSourceTheCoverFileAndThePageWithItsCaption) {
  // What OBS shows of each picture given directly, and of the pixel.
  const std::string pixel = fixtureUnix() + "/pixel.png";
  writeFileBytes(windowsPath(pixel), kTransparentPixel);
  const std::string references = fixtureUnix() + "/cover-references";
  runOnHost(clientCommand("remove Reference"));
  ASSERT_TRUE(runOnHost(clientCommand("create-image Reference")));
  std::string paths;
  for (const Track& track : kTracks) paths += " " + (track.picture.empty() ? pixel : coversUnix() + "/" + track.picture);
  ASSERT_TRUE(runOnHost(clientCommand("pictures-of-files Reference " + references + paths)));
  runOnHost(clientCommand("remove Reference"));
  std::vector<std::string> expected;
  for (const std::string& line : testing::splitLines(readFileBytes(windowsPath(references))))
    expected.push_back(line.substr(line.rfind(' ') + 1));
  ASSERT_EQ(expected.size(), kTracks.size());
  ASSERT_EQ(std::set<std::string>(expected.begin(), expected.end()).size(), kTracks.size()) << "told apart";

  runOnHost(clientCommand("remove Cover"));
  ASSERT_TRUE(runOnHost(clientCommand("create-image Cover")));
  const std::string watched = fixtureUnix() + "/cover-watch";
  DeleteFileA(windowsPath(watched).c_str());
  DeleteFileA(windowsPath(watched + ".stop").c_str());
  ASSERT_TRUE(startOnHost(clientCommand("watch-picture Cover " + watched + " --seconds 90")));
  const std::string page = "http://127.0.0.1:" + std::to_string(overlayPort()) + "/";
  PageWatcher watcher(page, "cover");

  PlayerFolder player("cover-end-to-end");
  writeFileBytes(player.ruleFile, "");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  // OBS here reads Unix paths: a path from the root of Wine's Z: drive is
  // the same file for both.
  const std::string coverFile = fixtureUnix() + "/cover-end-to-end.png";
  DeleteFileA(windowsPath(coverFile).c_str());
  // UTF-16: the fixture's password is not all ASCII.
  const std::string ini = "[cover]\r\nfile=" + coverFile + "\r\n[obs]\r\naddress=" + obsAddress() + "\r\npassword=" +
                          obsPassword() + "\r\ncover_source=Cover\r\n[overlay]\r\nport=" +
                          std::to_string(overlayPort()) + "\r\ncover=1\r\n";
  writeFileBytes(player.plugins + "\\gen_tavrik.ini", "\xFF\xFE" + encodeUtf16Le(decodeUtf8(ini)));
  std::vector<std::string> playlist;
  for (const Track& track : kTracks) playlist.push_back(windowsPath(coversUnix() + "/" + track.file));
  player.playlist(playlist);
  // The page loads once the plug-in serves it, before the first track.
  EXPECT_EQ(player.runHost("wait:4000 play:0 wait:2000 play:1 wait:2000 play:2 wait:2000 play:3 wait:2000 exit"), 0);
  const std::vector<Seen> seen = watcher.stop();
  writeFileBytes(windowsPath(watched + ".stop"), "");
  Sleep(1000);

  // OBS showed each picture in turn, exactly as when given directly.
  std::vector<std::string> shown;
  for (const std::string& line : testing::splitLines(readFileBytes(windowsPath(watched)))) {
    const std::string hash = line.substr(line.rfind(' ') + 1);
    if (std::find(expected.begin(), expected.end(), hash) == expected.end()) continue;
    if (shown.empty() || shown.back() != hash) shown.push_back(hash);
  }
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(readFileBytes(windowsPath(coverFile)), kTransparentPixel) << "the last track has none";

  // The page: each track's caption with its own picture, never another's.
  std::vector<std::string> pagePictures;
  for (const Seen& s : seen) {
    if (s.text.empty()) continue;
    const auto track = std::find_if(kTracks.begin(), kTracks.end(), [&](const Track& t) { return t.title == s.text; });
    ASSERT_NE(track, kTracks.end()) << s.text;
    EXPECT_TRUE(s.cover == track->size || s.cover == "-") << s.text << " shown with " << s.cover;
    const std::string now = s.text + " " + s.cover;
    if (pagePictures.empty() || pagePictures.back() != now) pagePictures.push_back(now);
  }
  std::vector<std::string> wanted;
  for (const Track& track : kTracks) wanted.push_back(track.title + " " + track.size);
  for (const std::string& want : wanted)
    EXPECT_NE(std::find(pagePictures.begin(), pagePictures.end(), want), pagePictures.end()) << want;
  runOnHost(clientCommand("remove Cover"));
}

}  // namespace
}  // namespace tavrik
