// What a template file's bytes hold: UTF-8 after the UTF-8 byte-order mark,
// UTF-16LE after the UTF-16LE mark, and ANSI bytes otherwise, as templates
// always were. A pure function over the bytes, whatever they are.
#pragma once

#include <cstddef>
#include <string>

#include "common/ansi_or_wide.h"

namespace tavrik {

// `file` is the whole file as read, chunk after chunk of `chunkBytes` (even,
// so that a chunk holds whole UTF-16 units; the reader's is 32000). As
// with every template, each chunk counts only up to its first NUL (a NUL
// unit in UTF-16); the mark is not part of the text. Ill-formed UTF-8 or
// UTF-16 becomes U+FFFD.
AnsiOrWide decodeTemplate(std::string file, std::size_t chunkBytes);

}  // namespace tavrik
