// The overlay page as a real browser shows it, for the Windows tests:
// headless Chromium on this machine, driven over its DevTools protocol by
// tests/overlay/page_watch.py, writing a line for each change it sees.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "obs_fixture.h"
#include "win_test_support.h"

namespace tavrik::testing {

// A test-side tool of tests/overlay, or of tests/obs beside the client.
inline std::string overlayTool(const std::string& name) {
  const char* folder = getenv("TAVRIK_OVERLAY_TOOLS");
  return std::string("/usr/bin/python3 ") + (folder ? folder : "") + "/" + name;
}
inline std::string obsTool(const std::string& name) {
  const char* client = getenv("TAVRIK_OBS_CLIENT");
  const std::string path = client ? client : "";
  return "/usr/bin/python3 " + path.substr(0, path.rfind('/') + 1) + name;
}

// One line of the watcher: what a tab's #caption showed, and on a page
// with the cover, the picture's size ("64x64") or "-" while none shows.
struct Seen {
  long long us = 0;
  int tab = 0;
  std::string state;  // the class: "caption.playing", ...
  std::string text;
  std::string cover;
};

// Headless Chromium with `pages` tabs on the page at `address`, from now
// until stop().
class PageWatcher {
 public:
  PageWatcher(const std::string& address, const std::string& name, int pages = 1)
      : out_(obs::fixtureUnix() + "/page-" + name) {
    for (const char* suffix : {"", ".ready", ".stop"}) DeleteFileA(windowsPath(out_ + suffix).c_str());
    EXPECT_TRUE(obs::startOnHost(overlayTool("page_watch.py") + " watch " + address + " " + out_ +
                                 " --seconds 120 --pages " + std::to_string(pages)));
  }
  ~PageWatcher() { stop(); }
  // Until every tab has the page; false when that never came.
  bool waitUntilWatching(DWORD limitMs = 20000) {
    for (DWORD waited = 0; waited < limitMs; waited += 50, Sleep(50))
      if (GetFileAttributesA(windowsPath(out_ + ".ready").c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
  }
  std::vector<Seen> stop() {
    if (!stopped_) {
      writeFileBytes(windowsPath(out_ + ".stop"), "");
      Sleep(1500);
      stopped_ = true;
    }
    std::vector<Seen> seen;
    for (const std::string& line : splitLines(readFileBytes(windowsPath(out_)))) {
      Seen s;
      char state[256] = {}, hex[8192] = {}, cover[64] = {};
      const int fields = sscanf(line.c_str(), "%lld %d %255s %8191s %63s", &s.us, &s.tab, state, hex, cover);
      if (fields < 4) continue;
      s.state = state;
      s.cover = cover;
      const std::string h = hex;
      if (h != "-")
        for (std::size_t i = 0; i + 1 < h.size(); i += 2) s.text += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
      seen.push_back(s);
    }
    return seen;
  }

 private:
  std::string out_;
  bool stopped_ = false;
};

}  // namespace tavrik::testing
