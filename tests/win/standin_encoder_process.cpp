#include "standin_encoder_process.h"

#include <cstdio>
#include <sstream>

#include "win_test_support.h"

namespace tavrik::testing {

std::string hexBytes(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : text) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

Lines wholeDelivery(const std::string& text) {
  return {"c1 0201 1 10001", "c1 0202 0 10001", "c5 000c 0 text:" + hexBytes(text),
          "c6 0201 1 10001", "c6 0202 0 10001"};
}

Lines wideDelivery(const std::u16string& text) {
  Lines lines = wholeDelivery("");
  lines[2] = "c5 000c 0 wide:";
  for (char16_t unit : text) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04x", static_cast<unsigned>(unit));
    lines[2] += digits;
  }
  return lines;
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

StandinEncoder::StandinEncoder(const std::string& name, const std::string& options) {
  log_ = freshFolder("encoder-" + name) + "\\encoder.log";
  std::string command = "\"" + buildPath("standin_encoder.exe") + "\" --log \"" + log_ +
                        "\" --exit-after 120 " + options;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return;
  }
  process_.reset(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
  stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  watchdog_ = std::thread([this] {
    if (WaitForSingleObject(stop_.get(), 60000) == WAIT_TIMEOUT) {
      std::fprintf(stderr, "watchdog: ending the stand-in encoder\n");
      TerminateProcess(process_.get(), 99);
    }
  });
}

StandinEncoder::~StandinEncoder() {
  if (watchdog_.joinable()) {
    SetEvent(stop_.get());
    watchdog_.join();
  }
  if (process_) {
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 10000);
  }
}

Lines StandinEncoder::lines() const {
  Lines result;
  std::istringstream in(readFileBytes(log_));
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

Lines StandinEncoder::messages() const {
  Lines result;
  for (const std::string& line : lines()) {
    if (line != "ready" && line != "resumed" && line.rfind("hang ", 0) != 0) {
      result.push_back(line);
    }
  }
  return result;
}

std::vector<std::string> StandinEncoder::texts() const {
  const std::string prefix = "c5 000c 0 text:";
  std::vector<std::string> result;
  for (const std::string& line : messages()) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::string text;
    for (std::size_t i = prefix.size(); i + 1 < line.size(); i += 2) {
      text += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
    }
    result.push_back(text);
  }
  return result;
}

std::vector<std::u16string> StandinEncoder::wideTexts() const {
  const std::string prefix = "c5 000c 0 wide:";
  std::vector<std::u16string> result;
  for (const std::string& line : messages()) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::u16string text;
    for (std::size_t i = prefix.size(); i + 3 < line.size(); i += 4) {
      text += static_cast<char16_t>(std::stoi(line.substr(i, 4), nullptr, 16));
    }
    result.push_back(text);
  }
  return result;
}

bool StandinEncoder::waitFor(const std::string& wanted, DWORD milliseconds) const {
  for (DWORD waited = 0; waited < milliseconds; waited += 10) {
    for (const std::string& line : lines())
      if (line == wanted) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace tavrik::testing
