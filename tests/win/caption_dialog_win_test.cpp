// The caption file's settings dialog, built from this program's resources
// and operated from a second thread: opened from the rule list dialog, whose
// OK keeps and whose Cancel forgets what it changed, and its two choosers.
#include <gtest/gtest.h>

#include "common/code_page_win32.h"
#include "dialog_user.h"
#include "resources/resource_ids.h"
#include "ui/caption_dialog_win32.h"
#include "ui/cover_dialog_win32.h"
#include "ui/obs_dialog_win32.h"
#include "ui/overlay_dialog_win32.h"
#include "ui/rule_list_dialog_win32.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing;

HWND waitForRuleListDialog() { return waitForDialogWith(IDC_RULE_LIST, "rule list dialog"); }
HWND waitForCaptionDialog() { return waitForDialogWith(IDC_CAPTION_FILE, "caption dialog"); }

std::u16string wideTextOf(HWND window) {
  std::u16string text(4096, u'\0');
  text.resize(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

// "C:\配信\表示.txt" in code page 932, and a Hangul folder for the template.
const CaptionSettings kShown{"C:\\\x94\x7a\x90\x4d\\\x95\x5c\x8e\xa6.txt", u"C:\\\uC74C\uC545\\idle.html", false};

TEST(CaptionDialog, TheRuleListsOkKeepsItsChangesAndCancelForgetsThem) {
  RuleList rules;
  rules.append({"ARTIST", "Band", "C:\\band.html"});
  for (int ruleListButton : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(ruleListButton);
    CaptionSettings settings = kShown;
    std::string shownFile;
    std::u16string shownTemplate;
    LRESULT trackChecked = 0;
    auto outcome = runModal([&] { return CRuleListDlg(rules, &settings).DoModal(); },
                            [&] {
                              HWND list = waitForRuleListDialog();
                              clickAndGo(list, IDC_CAPTION_SETTINGS);
                              HWND d = waitForCaptionDialog();
                              shownFile = textOf(control(d, IDC_CAPTION_FILE));
                              shownTemplate = wideTextOf(control(d, IDC_IDLE_TEMPLATE));
                              trackChecked = send(control(d, IDC_PAUSED_TRACK), BM_GETCHECK);
                              SendMessageW(control(d, IDC_CAPTION_FILE), WM_SETTEXT, 0,
                                           reinterpret_cast<LPARAM>(L"D:\\\uCEA1\uC158.txt"));
                              type(d, IDC_IDLE_TEMPLATE, "");
                              click(d, IDC_PAUSED_IDLE);
                              clickAndGo(d, IDOK);
                              waitUntilGone(d, "caption dialog");
                              clickAndGo(list, ruleListButton);
                            });
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(shownFile, kShown.file.ansi());
    EXPECT_EQ(shownTemplate, kShown.idleTemplate.wide());
    EXPECT_EQ(trackChecked, BST_CHECKED);
    if (ruleListButton == IDCANCEL) {
      EXPECT_EQ(settings, kShown);
    } else {
      EXPECT_EQ(settings, (CaptionSettings{u"D:\\\uCEA1\uC158.txt", "", true}));
    }
    EXPECT_EQ(rules.count(), 1u);
  }
}

TEST(CaptionDialog, TheCaptionFileIsChosenToSaveAndGetsTxtTheTemplateToOpen) {
  const std::string folder = freshFolder("caption-dialog-browse");
  const std::string idle = folder + "\\idle.html";
  writeFileBytes(idle, "idle");
  CCaptionDlg dialog(CaptionSettings{"typed.txt", "", true});
  std::string afterCancel, afterSave, afterOpen;
  HWND saveOwner = nullptr, captionWindow = nullptr;
  auto outcome = runModal([&] { return dialog.DoModal(); },
                          [&] {
                            HWND d = waitForCaptionDialog();
                            captionWindow = d;
                            clickAndGo(d, IDC_CAPTION_FILE_BROWSE);
                            HWND chooser = waitForFileChooser();
                            PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
                            waitUntilGone(chooser, "file chooser");
                            afterCancel = textOf(control(d, IDC_CAPTION_FILE));

                            clickAndGo(d, IDC_CAPTION_FILE_BROWSE);
                            chooser = waitForFileChooser();
                            saveOwner = GetWindow(chooser, GW_OWNER);
                            HWND name = GetDlgItem(chooser, 0x47C) ? GetDlgItem(chooser, 0x47C)
                                                                   : GetDlgItem(chooser, 0x480);
                            type(chooser, GetDlgCtrlID(name), folder + "\\now playing");
                            PostMessageA(chooser, WM_COMMAND, IDOK, 0);
                            waitUntilGone(chooser, "file chooser");
                            afterSave = textOf(control(d, IDC_CAPTION_FILE));

                            clickAndGo(d, IDC_IDLE_TEMPLATE_BROWSE);
                            chooser = waitForFileChooser();
                            name = GetDlgItem(chooser, 0x47C) ? GetDlgItem(chooser, 0x47C)
                                                              : GetDlgItem(chooser, 0x480);
                            type(chooser, GetDlgCtrlID(name), idle);
                            PostMessageA(chooser, WM_COMMAND, IDOK, 0);
                            waitUntilGone(chooser, "file chooser");
                            afterOpen = textOf(control(d, IDC_IDLE_TEMPLATE));
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(afterCancel, "typed.txt");
  EXPECT_EQ(saveOwner, captionWindow);
  EXPECT_EQ(afterSave, folder + "\\now playing.txt");
  EXPECT_EQ(afterOpen, idle);
  EXPECT_EQ(dialog.m_settings, (CaptionSettings{folder + "\\now playing.txt", idle, true}));
}

TEST(CaptionDialog, ARuleListWithoutCaptionSettingsHasTheButtonsDisabled) {
  RuleList rules;
  BOOL captionEnabled = TRUE, obsEnabled = TRUE, overlayEnabled = TRUE, coverEnabled = TRUE;
  auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                          [&] {
                            HWND list = waitForRuleListDialog();
                            captionEnabled = IsWindowEnabled(control(list, IDC_CAPTION_SETTINGS));
                            obsEnabled = IsWindowEnabled(control(list, IDC_OBS_SETTINGS));
                            overlayEnabled = IsWindowEnabled(control(list, IDC_OVERLAY_SETTINGS));
                            coverEnabled = IsWindowEnabled(control(list, IDC_COVER_SETTINGS));
                            clickAndGo(list, IDCANCEL);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_FALSE(captionEnabled);
  EXPECT_FALSE(obsEnabled);
  EXPECT_FALSE(overlayEnabled);
  EXPECT_FALSE(coverEnabled);
}

TEST(CaptionDialog, TheCaptionFilesOwnTemplateIsShownAndTaken) {
  CaptionSettings settings = kShown;
  settings.plainTemplate = u"C:\\\uC74C\uC545\\plain.txt";
  CCaptionDlg dialog(settings);
  std::u16string shown;
  auto outcome = runModal([&] { return dialog.DoModal(); },
                          [&] {
                            HWND d = waitForCaptionDialog();
                            shown = wideTextOf(control(d, IDC_CAPTION_TEMPLATE));
                            type(d, IDC_CAPTION_TEMPLATE, "C:\\now.txt");
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(shown, settings.plainTemplate.wide());
  EXPECT_EQ(dialog.m_settings.plainTemplate, AnsiOrWide("C:\\now.txt"));
}

HWND waitForObsDialog() { return waitForDialogWith(IDC_OBS_SOURCE, "OBS dialog"); }

TEST(ObsDialog, ShowsTheDefaultAddressAndAMaskedPasswordAndAnUnchangedOkChangesNothing) {
  RuleList rules;
  CaptionSettings settings;
  settings.obs.password = "secret";
  const CaptionSettings before = settings;
  std::u16string shownAddress;
  wchar_t mask = 0;
  auto outcome = runModal([&] { return CRuleListDlg(rules, &settings).DoModal(); },
                          [&] {
                            HWND list = waitForRuleListDialog();
                            clickAndGo(list, IDC_OBS_SETTINGS);
                            HWND d = waitForObsDialog();
                            shownAddress = wideTextOf(control(d, IDC_OBS_ADDRESS));
                            mask = static_cast<wchar_t>(SendMessageW(control(d, IDC_OBS_PASSWORD), EM_GETPASSWORDCHAR, 0, 0));
                            clickAndGo(d, IDOK);
                            waitUntilGone(d, "OBS dialog");
                            clickAndGo(list, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(shownAddress, u"127.0.0.1:4455");
  EXPECT_NE(mask, 0) << "the password is shown masked";
  EXPECT_EQ(settings, before) << "the default address shown is still no address set";
}

TEST(ObsDialog, TheRuleListsOkKeepsTheTypedSettingsAndCancelForgetsThem) {
  RuleList rules;
  for (int ruleListButton : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(ruleListButton);
    CaptionSettings settings = kShown;
    auto outcome = runModal([&] { return CRuleListDlg(rules, &settings).DoModal(); },
                            [&] {
                              HWND list = waitForRuleListDialog();
                              clickAndGo(list, IDC_OBS_SETTINGS);
                              HWND d = waitForObsDialog();
                              type(d, IDC_OBS_ADDRESS, "127.0.0.1:4460");
                              type(d, IDC_OBS_PASSWORD, "pass word");
                              SendMessageW(control(d, IDC_OBS_SOURCE), WM_SETTEXT, 0,
                                           reinterpret_cast<LPARAM>(L"\uC790\uB9C9"));
                              type(d, IDC_OBS_TEMPLATE, "C:\\obs.txt");
                              clickAndGo(d, IDOK);
                              waitUntilGone(d, "OBS dialog");
                              clickAndGo(list, ruleListButton);
                            });
    ASSERT_EQ(outcome.failure, "");
    CaptionSettings expected = kShown;
    if (ruleListButton == IDOK)
      expected.obs = ObsOutputSettings{"127.0.0.1:4460", "pass word", u"\uC790\uB9C9", "C:\\obs.txt", ""};
    EXPECT_EQ(settings, expected);
  }
}

HWND waitForOverlayDialog() { return waitForDialogWith(IDC_OVERLAY_PORT, "overlay dialog"); }

TEST(OverlayDialog, ShowsTheSettingsAndTheRuleListsOkKeepsWhatWasTypedAndCancelForgetsIt) {
  RuleList rules;
  for (int ruleListButton : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(ruleListButton);
    CaptionSettings settings = kShown;
    settings.overlay = OverlayOutputSettings{"1608", u"C:\\\uC74C\uC545\\page.html", "", "0", ""};
    const CaptionSettings before = settings;
    std::u16string shownPort, shownTemplate;
    auto outcome = runModal([&] { return CRuleListDlg(rules, &settings).DoModal(); },
                            [&] {
                              HWND list = waitForRuleListDialog();
                              clickAndGo(list, IDC_OVERLAY_SETTINGS);
                              HWND d = waitForOverlayDialog();
                              shownPort = wideTextOf(control(d, IDC_OVERLAY_PORT));
                              shownTemplate = wideTextOf(control(d, IDC_OVERLAY_TEMPLATE));
                              type(d, IDC_OVERLAY_PORT, "1700");
                              type(d, IDC_OVERLAY_STYLE, "C:\\look.css");
                              type(d, IDC_OVERLAY_SHOW_FOR, "8");
                              clickAndGo(d, IDOK);
                              waitUntilGone(d, "overlay dialog");
                              clickAndGo(list, ruleListButton);
                            });
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(shownPort, u"1608");
    EXPECT_EQ(shownTemplate, before.overlay.htmlTemplate.wide());
    CaptionSettings expected = before;
    if (ruleListButton == IDOK)
      expected.overlay = OverlayOutputSettings{"1700", before.overlay.htmlTemplate, "C:\\look.css", "8", ""};
    EXPECT_EQ(settings, expected);
  }
}

HWND waitForCoverDialog() { return waitForDialogWith(IDC_COVER_FILE, "cover dialog"); }

TEST(CoverDialog, ShowsTheCoversKeysAndTheRuleListsOkKeepsWhatWasTypedAndTickedAndCancelForgetsIt) {
  RuleList rules;
  for (int ruleListButton : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(ruleListButton);
    CaptionSettings settings = kShown;
    settings.cover.file = u"C:\\\uC74C\uC545\\cover.png";
    settings.overlay.port = "1608";
    const CaptionSettings before = settings;
    std::u16string shownFile;
    LRESULT tickedAtFirst = -1;
    auto outcome = runModal([&] { return CRuleListDlg(rules, &settings).DoModal(); },
                            [&] {
                              HWND list = waitForRuleListDialog();
                              clickAndGo(list, IDC_COVER_SETTINGS);
                              HWND d = waitForCoverDialog();
                              shownFile = wideTextOf(control(d, IDC_COVER_FILE));
                              tickedAtFirst = SendMessageW(control(d, IDC_COVER_ON_PAGE), BM_GETCHECK, 0, 0);
                              type(d, IDC_COVER_NONE, "C:\\none.png");
                              type(d, IDC_COVER_OBS_SOURCE, "Cover");
                              SendMessageW(control(d, IDC_COVER_ON_PAGE), BM_SETCHECK, BST_CHECKED, 0);
                              clickAndGo(d, IDOK);
                              waitUntilGone(d, "cover dialog");
                              clickAndGo(list, ruleListButton);
                            });
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(shownFile, before.cover.file.wide());
    EXPECT_EQ(tickedAtFirst, BST_UNCHECKED);
    CaptionSettings expected = before;
    if (ruleListButton == IDOK) {
      expected.cover.none = "C:\\none.png";
      expected.obs.coverSource = "Cover";
      expected.overlay.cover = "1";
    }
    EXPECT_EQ(settings, expected);
  }
}

}  // namespace
}  // namespace tavrik
