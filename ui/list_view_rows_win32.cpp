#include "ui/list_view_rows_win32.h"

#include <commctrl.h>

namespace tavrik {

int ListViewRows::count() { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

void ListViewRows::insertRow(int index, const std::string& text) {
  // Text only: no state, so the new row is neither selected nor focused.
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ListViewRows::setCell(int row, int column, const std::string& text) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

std::string ListViewRows::cellText(int row, int column) {
  // The control tells the copied length only, so the buffer grows until the
  // text leaves room to spare. Two bytes, not one: a double-byte character
  // that does not fit whole may be left out, so a cut text can end a byte short.
  std::string buffer;
  for (int capacity = 256; capacity < (1 << 30); capacity *= 2) {
    buffer.assign(capacity, '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = capacity;
    int length = static_cast<int>(SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    if (length < capacity - 2) return std::string(item.pszText, length);
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
