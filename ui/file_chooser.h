// The open-file chooser as the condition dialog needs it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavrik {

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // Lets the user pick a file to open; the full path after OK, nothing after
  // Cancel or a failure. `filter` is in the bar-separated form
  // "label|pattern|...|" ending with a doubled bar.
  virtual std::optional<std::string> chooseFileToOpen(const std::string& filter) = 0;
};

// The bar-separated filter in the platform's form, each bar a NUL. Bars that
// are the second byte of a double-byte character stay.
std::string nulSeparatedFilter(std::string_view barSeparated,
                               const std::function<bool(unsigned char)>& isLeadByte);

}  // namespace tavrik
