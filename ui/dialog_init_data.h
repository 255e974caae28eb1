// A dialog's initial control data (resource type 240): what to send to which
// control when the dialog is created. MFC's resource editor stored the initial
// items of list and combo boxes this way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tavrik {

// Codes the data uses for "add a string" (the 16-bit Windows message numbers).
inline constexpr unsigned kStoredListBoxAddString = 0x0401;
inline constexpr unsigned kStoredComboBoxAddString = 0x0403;

struct DialogInitEntry {
  unsigned controlId;
  unsigned message;
  std::string data;  // for the add-string codes: the text with its NUL
};

// Entries in stored order. Each is: control id (16 bits), message (16 bits),
// data length (32 bits), the data; all little-endian and unaligned. A control
// id of 0 ends the list; an entry that runs past the end is dropped with all
// after it.
std::vector<DialogInitEntry> parseDialogInitData(const unsigned char* bytes, std::size_t size);

}  // namespace tavrik
