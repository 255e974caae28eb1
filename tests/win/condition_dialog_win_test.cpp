// The real condition dialog, built from this program's resources and
// operated from a second thread: the type list, the three texts at OK,
// Cancel in its three forms, and Browse through the real file chooser.
#include <gtest/gtest.h>

#include <vector>

#include "common/code_page_win32.h"
#include "common/cp932_texts.h"
#include "common/win32_handles.h"
#include "dialog_user.h"
#include "resources/resource_ids.h"
#include "ui/condition_dialog_win32.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing;

// "ジャズ" with a tab and the characters HTML escaping cares about.
const std::string kJazzValue = "\x83W\x83\x83\x83Y\t& <\"x\">";

HWND waitForConditionDialog() { return waitForDialogWith(IDC_CONDITION_TYPE, "condition dialog"); }

std::vector<std::string> typeItems(HWND dialog) {
  HWND types = control(dialog, IDC_CONDITION_TYPE);
  std::vector<std::string> items;
  for (LRESULT i = 0, n = send(types, CB_GETCOUNT); i < n; ++i) {
    std::string text(send(types, CB_GETLBTEXTLEN, i) + 1, '\0');
    text.resize(send(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data())));
    items.push_back(text);
  }
  return items;
}

void pickType(HWND dialog, const std::string& type) {
  HWND types = control(dialog, IDC_CONDITION_TYPE);
  LRESULT index = send(types, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(type.c_str()));
  if (index == CB_ERR) throw UserStepFailed("no type " + type);
  send(types, CB_SETCURSEL, index);
}

TEST(ConditionDialog, OpensWithTheSortedTypesNothingPickedAndOkGivesThreeEmptyTexts) {
  CConditionDlg dialog;
  std::vector<std::string> items;
  LRESULT selected = 0;
  std::string value = "?", path = "?";
  HWND focus = nullptr, okButton = nullptr;
  DWORD dialogThread = GetCurrentThreadId();
  auto outcome = runModal([&] { return dialog.DoModal(); },
                          [&] {
                            HWND d = waitForConditionDialog();
                            items = typeItems(d);
                            selected = send(control(d, IDC_CONDITION_TYPE), CB_GETCURSEL);
                            value = textOf(control(d, IDC_CONDITION_VALUE));
                            path = textOf(control(d, IDC_TEMPLATE_PATH));
                            GUITHREADINFO info = {};
                            info.cbSize = sizeof info;
                            GetGUIThreadInfo(dialogThread, &info);
                            focus = info.hwndFocus;
                            okButton = control(d, IDOK);
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(items, (std::vector<std::string>{"ALBUM", "ARTIST", "COMMENT", "GENRE", "TITLE"}));
  EXPECT_EQ(selected, CB_ERR);
  EXPECT_EQ(value, "");
  EXPECT_EQ(path, "");
  EXPECT_EQ(focus, okButton) << "the first tab stop, OK, has the focus";
  EXPECT_EQ(dialog.m_conditionType, "");
  EXPECT_EQ(dialog.m_conditionValue, "");
  EXPECT_EQ(dialog.m_templatePath, "");
}

TEST(ConditionDialog, TextTypedIntoTheTypeFieldIsNoType) {
  CConditionDlg dialog;
  auto outcome = runModal([&] { return dialog.DoModal(); },
                          [&] {
                            HWND d = waitForConditionDialog();
                            type(d, IDC_CONDITION_TYPE, "BAND");
                            if (textOf(control(d, IDC_CONDITION_TYPE)) != "BAND") throw UserStepFailed("typing");
                            type(d, IDC_CONDITION_VALUE, "v");
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(dialog.m_conditionType, "");
  EXPECT_EQ(dialog.m_conditionValue, "v");
}

TEST(ConditionDialog, CancelEscapeAndTheCloseBoxEndWithCancelAndLeaveTheTextsEmpty) {
  const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
      {"Cancel", [](HWND d) { clickAndGo(d, IDCANCEL); }},
      {"Escape", [](HWND d) { pressEscape(d); }},
      {"close box", [](HWND d) { closeBox(d); }},
  };
  for (const auto& [name, end] : ways) {
    SCOPED_TRACE(name);
    CConditionDlg dialog;
    auto outcome = runModal([&] { return dialog.DoModal(); },
                            [&, end = end] {
                              HWND d = waitForConditionDialog();
                              pickType(d, "ARTIST");
                              type(d, IDC_CONDITION_VALUE, kJazzValue);
                              type(d, IDC_TEMPLATE_PATH, "C:\\a.html");
                              end(d);
                            });
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(outcome.answer, IDCANCEL);
    EXPECT_EQ(dialog.m_conditionType, "");
    EXPECT_EQ(dialog.m_conditionValue, "");
    EXPECT_EQ(dialog.m_templatePath, "");
  }
}

TEST(ConditionDialog, BrowseReplacesThePathOnlyAfterTheChoosersOk) {
  std::string folder = freshFolder("condition_browse");
  // "曲.html": the chooser hands back code page 932 paths unchanged.
  std::string chosen = folder + "\\\x8b\xc8.html";
  writeFileBytes(chosen, "<b>#TITLE</b>");

  CConditionDlg dialog;
  std::string afterCancel, afterOk, valueAfterOk;
  LRESULT typeAfterOk = CB_ERR;
  HWND chooserOwner = reinterpret_cast<HWND>(1);
  std::string filterLabel;
  auto outcome = runModal(
      [&] { return dialog.DoModal(); },
      [&] {
        HWND d = waitForConditionDialog();
        pickType(d, "ALBUM");  // the list's first item
        type(d, IDC_CONDITION_VALUE, kJazzValue);
        type(d, IDC_TEMPLATE_PATH, "typed.html");

        clickAndGo(d, IDC_BROWSE);
        HWND chooser = waitForFileChooser();
        chooserOwner = GetWindow(chooser, GW_OWNER);
        // The file type list (cmb1) shows the filter's label.
        if (HWND kinds = GetDlgItem(chooser, 0x470)) {
          std::string label(send(kinds, CB_GETLBTEXTLEN, 0) + 1, '\0');
          label.resize(send(kinds, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(label.data())));
          filterLabel = label;
        }
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
        waitUntilGone(chooser, "file chooser");
        afterCancel = textOf(control(d, IDC_TEMPLATE_PATH));

        clickAndGo(d, IDC_BROWSE);
        chooser = waitForFileChooser();
        HWND name = GetDlgItem(chooser, 0x47C) ? GetDlgItem(chooser, 0x47C) : GetDlgItem(chooser, 0x480);
        send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
        PostMessageA(chooser, WM_COMMAND, IDOK, 0);
        waitUntilGone(chooser, "file chooser");
        afterOk = textOf(control(d, IDC_TEMPLATE_PATH));
        valueAfterOk = textOf(control(d, IDC_CONDITION_VALUE));
        typeAfterOk = send(control(d, IDC_CONDITION_TYPE), CB_GETCURSEL);
        clickAndGo(d, IDOK);
      });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(chooserOwner, nullptr);
  EXPECT_EQ(filterLabel, std::string(texts::kColumnTemplatePath) + "(*.html)");
  EXPECT_EQ(afterCancel, "typed.html");
  EXPECT_EQ(afterOk, chosen);
  EXPECT_EQ(valueAfterOk, kJazzValue) << "browsing leaves the value alone";
  EXPECT_EQ(typeAfterOk, 0) << "and the picked type (ALBUM)";
  EXPECT_EQ(dialog.m_conditionType, "ALBUM");
  EXPECT_EQ(dialog.m_conditionValue, kJazzValue);
  EXPECT_EQ(dialog.m_templatePath, chosen);
}

TEST(ConditionDialog, AnyCharacterTypedOrBrowsedArrivesWhole) {
  // A template whose name code page 932 cannot hold: "음악 ♡.html".
  std::u16string chosen = Win32CodePage().toWide(freshFolder("condition_browse_unicode")) + u"\\\uC74C\uC545 \u2661.html";
  UniqueFile file(CreateFileW(reinterpret_cast<const wchar_t*>(chosen.c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  file.reset();
  const std::u16string value = u"Beyonc\u00E9 \uD55C\uAD6D \U0001F3B5";

  CConditionDlg dialog;
  auto outcome = runModal([&] { return dialog.DoModal(); },
                          [&] {
                            HWND d = waitForConditionDialog();
                            pickType(d, "ARTIST");
                            SendMessageW(control(d, IDC_CONDITION_VALUE), WM_SETTEXT, 0,
                                         reinterpret_cast<LPARAM>(value.c_str()));
                            clickAndGo(d, IDC_BROWSE);
                            HWND chooser = waitForFileChooser();
                            HWND name = GetDlgItem(chooser, 0x47C) ? GetDlgItem(chooser, 0x47C)
                                                                   : GetDlgItem(chooser, 0x480);
                            SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
                            PostMessageA(chooser, WM_COMMAND, IDOK, 0);
                            waitUntilGone(chooser, "file chooser");
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  // What the ANSI code page holds stays ANSI bytes; the rest comes whole.
  EXPECT_EQ(dialog.m_conditionType, "ARTIST");
  EXPECT_FALSE(dialog.m_conditionType.isWide());
  EXPECT_EQ(dialog.m_conditionValue, AnsiOrWide(value));
  EXPECT_EQ(dialog.m_templatePath, AnsiOrWide(chosen));
}

}  // namespace
}  // namespace tavrik
