#include "ui/list_view_rows_win32.h"

#include <commctrl.h>

namespace tavrik {

int ListViewRows::count() { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

namespace {

// ANSI texts go in as ANSI bytes, as they always did; UTF-16 ones as such.
void sendItem(HWND list, UINT ansiMessage, UINT wideMessage, int row, int column, const AnsiOrWide& text) {
  // Text only: no state, so a new row is neither selected nor focused.
  if (text.isWide()) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.wide().c_str()));
    SendMessageW(list, wideMessage, 0, reinterpret_cast<LPARAM>(&item));
    return;
  }
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.ansi().c_str());
  SendMessageA(list, ansiMessage, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void ListViewRows::insertRow(int index, const AnsiOrWide& text) {
  sendItem(list_, LVM_INSERTITEMA, LVM_INSERTITEMW, index, 0, text);
}

void ListViewRows::setCell(int row, int column, const AnsiOrWide& text) {
  sendItem(list_, LVM_SETITEMA, LVM_SETITEMW, row, column, text);
}

AnsiOrWide ListViewRows::cellText(int row, int column) {
  // The control tells the copied length only, so the buffer grows until the
  // text leaves room to spare. Two units, not one: a surrogate pair that
  // does not fit whole may be left out, so a cut text can end a unit short.
  std::u16string buffer;
  for (int capacity = 256; capacity < (1 << 29); capacity *= 2) {
    buffer.assign(capacity, u'\0');
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.data());
    item.cchTextMax = capacity;
    int length = static_cast<int>(SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (length < capacity - 2) {
      buffer.resize(length);
      return narrowedWherePossible(std::move(buffer), codePage_);
    }
  }
  return {};
}

int ListViewRows::lowestSelected() {
  return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListViewRows::deleteRow(int index) { SendMessageA(list_, LVM_DELETEITEM, index, 0); }

void setUpRuleColumns(HWND list) {
  // Mask 0 stands for every extended style: full-row selection becomes the
  // only one.
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = kRuleColumns[i].widthPixels;
    column.pszText = const_cast<char*>(kRuleColumns[i].header);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

}  // namespace tavrik
