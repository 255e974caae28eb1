// What the interrupted-save program writes, shared with the test that kills it.
#pragma once

#include <string>

namespace tavrik::testing {

// 2.5 MiB of rule lines: more than two of the adapter's 1 MiB writes.
inline std::string interruptedSaveContent(char mark) {
  std::string line = std::string("TITLE\t") + mark + "\tC:\\t.html\r\n";
  std::string content;
  while (content.size() < (5u << 19)) content += line;
  return content;
}

}  // namespace tavrik::testing
