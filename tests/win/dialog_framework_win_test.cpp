// The dialog framework's own promises: the failure answer, Enter and the
// click table reaching the handlers, no exception escaping into the window
// manager, and the dialogs travelling inside the plug-in.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/win32_handles.h"
#include "dialog_user.h"
#include "resources/resource_ids.h"
#include "ui/dialog_win32.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing;

// The condition dialog's template under handlers of the test's own.
class ProbeDialog : public Dialog {
 public:
  explicit ProbeDialog(int templateId = IDD_CONDITION) : Dialog(templateId) {}
  bool failInit = false;
  int browseClicks = 0;
  int okCalls = 0;

 protected:
  BOOL OnInitDialog() override {
    if (failInit) throw std::runtime_error("init failed");
    return Dialog::OnInitDialog();
  }
  void OnOK() override {
    ++okCalls;
    Dialog::OnOK();
  }
  const MessageMap& messageMap() const override {
    static const MessageMap map = {onClicked(IDC_BROWSE, &ProbeDialog::OnBrowse)};
    return map;
  }
  void OnBrowse() {
    ++browseClicks;
    throw std::runtime_error("handler failed");
  }
};

TEST(DialogFramework, AnswersMinusOneWhenTheDialogCannotBeMade) {
  EXPECT_EQ(ProbeDialog(4999).DoModal(), -1) << "no such template";
  ProbeDialog failing;
  failing.failInit = true;
  auto outcome = runModal([&] { return failing.DoModal(); }, [] {});
  EXPECT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, -1) << "initialisation failed";
}

TEST(DialogFramework, AFailingHandlerLeavesTheDialogWorkingAndEnterIsOk) {
  ProbeDialog dialog;
  auto outcome = runModal([&] { return dialog.DoModal(); },
                          [&] {
                            HWND d = waitForDialogWith(IDC_BROWSE, "dialog");
                            click(d, IDC_BROWSE);
                            click(d, IDC_BROWSE);
                            PostMessageA(control(d, IDC_CONDITION_VALUE), WM_KEYDOWN, VK_RETURN, 0x001C0001);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(dialog.browseClicks, 2);
  EXPECT_EQ(dialog.okCalls, 1);
}

TEST(DialogFramework, ThePluginCarriesBothDialogsAndTheTypeListInJapanese) {
  UniqueModule dll(LoadLibraryExA(buildPath("gen_tavrik.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(dll);
  const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
  EXPECT_TRUE(FindResourceExA(dll.get(), RT_DIALOG, MAKEINTRESOURCEA(IDD_RULE_LIST), japanese));
  EXPECT_TRUE(FindResourceExA(dll.get(), RT_DIALOG, MAKEINTRESOURCEA(IDD_CONDITION), japanese));
  EXPECT_TRUE(FindResourceExA(dll.get(), MAKEINTRESOURCEA(RT_DIALOG_INIT), MAKEINTRESOURCEA(IDD_CONDITION), japanese));
}

}  // namespace
}  // namespace tavrik
