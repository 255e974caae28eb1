// dialog_preview rule-list|condition|caption RECT_FILE
// Opens one settings dialog, filled with example texts, for a screenshot:
// once it is painted, writes its screen rectangle ("x y width height") to
// RECT_FILE, and closes it when that file is deleted (or after a minute).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "dialog_user.h"
#include "resources/resource_ids.h"
#include "ui/caption_dialog_win32.h"
#include "ui/condition_dialog_win32.h"
#include "ui/obs_dialog_win32.h"
#include "ui/cover_dialog_win32.h"
#include "ui/overlay_dialog_win32.h"
#include "ui/rule_list_dialog_win32.h"
#include "ui/status_lines.h"

namespace {

using namespace tavrik;
using namespace tavrik::testing;

// Example texts in code page 932.
const char kSouthern[] = "\x83T\x83U\x83\x93\x83I\x81[\x83\x8b\x83X\x83^\x81[\x83Y";  // サザンオールスターズ
const char kShiina[] = "\x92\xc5\x96\xbc\x97\xd1\x8c\xe7";                                  // 椎名林檎
const char kEllie[] = "\x82\xa2\x82\xc6\x82\xb5\x82\xcc\x83G\x83\x8a\x81[";          // いとしのエリー
const char kRock[] = "\x83\x8d\x83" "b\x83N";                                          // ロック

void showWhenPainted(HWND dialog, const std::string& rectFile) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(1500);
  RECT r;
  GetWindowRect(dialog, &r);
  {
    std::ofstream out(rectFile);
    out << r.left << ' ' << r.top << ' ' << (r.right - r.left) << ' ' << (r.bottom - r.top) << '\n';
  }
  for (int waited = 0; waited < 60000 && GetFileAttributesA(rectFile.c_str()) != INVALID_FILE_ATTRIBUTES;
       waited += 50) {
    Sleep(50);
  }
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

// Acts on the dialog from a second thread; a dialog that never appears ends
// the run instead of leaving it open.
template <typename Act>
std::thread actOnDialog(Act act) {
  return std::thread([act] {
    try {
      act();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "dialog_preview: %s\n", e.what());
      closeEveryDialog();
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dialog_preview rule-list|condition|caption|obs|overlay|cover RECT_FILE\n");
    return 2;
  }
  std::string which = argv[1], rectFile = argv[2];
  DeleteFileA(rectFile.c_str());
  if (which == "rule-list") {
    RuleList rules;
    rules.append({"ARTIST", kShiina, "C:\\Program Files\\Winamp\\html\\shiina.html"});
    rules.append({"TITLE", kEllie, "C:\\Program Files\\Winamp\\html\\ellie.html"});
    rules.append({"GENRE", "Jazz", "C:\\Program Files\\Winamp\\html\\jazz.html"});
    rules.append({"GENRE", kRock, "C:\\Program Files\\Winamp\\html\\rock.html"});
    rules.append({"ALBUM", "Kind of Blue", "C:\\Program Files\\Winamp\\html\\blue.html"});
    std::thread user = actOnDialog([&] {
      HWND d = waitForDialogWith(IDC_RULE_LIST, "rule list dialog");
      showWhenPainted(d, rectFile);
    });
    CaptionSettings caption;
    // What a streamer might find: the encoder fine, the caption file held
    // by a program that reads it, OBS without the source named.
    OutputsStatus status;
    const auto at = std::chrono::system_clock::now();
    status.encoder = {EncoderOutcome::delivered, 0, at};
    status.caption = Recorded<CaptionOutcome>{CaptionOutcome::held, 32, at};
    status.obs = Recorded<ObsOutcome>{ObsOutcome::noSource, 600, at};
    status.overlay = Recorded<OverlayOutcome>{OverlayOutcome::serving, 2, at};
    status.captionFile = "C:\\OBS\\now-playing.txt";
    status.obsSource = "Now Playing";
    status.cover = Recorded<CaptionOutcome>{CaptionOutcome::written, 0, at};
    status.overlayPort = 1608;
    status.coverFile = "C:\\OBS\\cover.png";
    Win32CodePage codePage;
    auto lines = [&] {
      return statusLines(status, codePage, [](std::chrono::system_clock::time_point) { return u"21:04:17"; });
    };
    CRuleListDlg(rules, &caption, nullptr, lines).DoModal();
    user.join();
  } else if (which == "condition") {
    std::thread user = actOnDialog([&] {
      HWND d = waitForDialogWith(IDC_CONDITION_TYPE, "condition dialog");
      HWND types = control(d, IDC_CONDITION_TYPE);
      send(types, CB_SETCURSEL, send(types, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>("ARTIST")));
      type(d, IDC_CONDITION_VALUE, kSouthern);
      type(d, IDC_TEMPLATE_PATH, "C:\\Program Files\\Winamp\\html\\southern.html");
      showWhenPainted(d, rectFile);
    });
    CConditionDlg().DoModal();
    user.join();
  } else if (which == "caption") {
    std::thread user = actOnDialog([&] {
      showWhenPainted(waitForDialogWith(IDC_CAPTION_FILE, "caption dialog"), rectFile);
    });
    CaptionSettings settings{"C:\\OBS\\now-playing.txt", "C:\\Program Files\\Winamp\\html\\idle.html", false};
    settings.plainTemplate = "C:\\Program Files\\Winamp\\html\\plain.txt";
    CCaptionDlg(settings).DoModal();
    user.join();
  } else if (which == "obs") {
    std::thread user = actOnDialog([&] {
      showWhenPainted(waitForDialogWith(IDC_OBS_SOURCE, "OBS dialog"), rectFile);
    });
    ObsOutputSettings settings{"", "secret", "Now Playing", "C:\\Program Files\\Winamp\\html\\obs.txt", "", "", ""};
    CObsDlg(settings).DoModal();
    user.join();
  } else if (which == "overlay") {
    std::thread user = actOnDialog([&] {
      showWhenPainted(waitForDialogWith(IDC_OVERLAY_PORT, "overlay dialog"), rectFile);
    });
    OverlayOutputSettings settings{"1608", "C:\\Program Files\\Winamp\\html\\overlay.html",
                                   "C:\\Program Files\\Winamp\\html\\overlay.css", "0", ""};
    COverlayDlg(settings).DoModal();
    user.join();
  } else if (which == "cover") {
    std::thread user = actOnDialog([&] {
      showWhenPainted(waitForDialogWith(IDC_COVER_FILE, "cover dialog"), rectFile);
    });
    CaptionSettings settings;
    settings.cover.file = "C:\\OBS\\cover.png";
    settings.cover.none = "C:\\OBS\\no-cover.png";
    settings.obs.coverSource = "Cover";
    settings.overlay.cover = "1";
    CCoverDlg(settings).DoModal();
    user.join();
  } else {
    std::fprintf(stderr, "unknown dialog: %s\n", which.c_str());
    return 2;
  }
  return 0;
}
