// A stand-in for the tag library mp3infp.dll: the five entries the plug-in
// calls, and the two wide ones of version 2.54, with the library's names,
// arguments, results and calling convention, reading real MP3 (ID3v2, ID3v1,
// RIFF MP3) and WAV (LIST/INFO) tags. STANDIN_MP3INFP_VERSION (e.g. "0x226")
// makes it report another version; STANDIN_MP3INFP_LOG names a file where it
// notes being loaded and unloaded, so that a test can tell whether its user
// released it. STANDIN_MP3INFP_LOAD_MS=N makes every load take N ms more,
// like a file on a slow share, and notes each load and the thread it came on.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "tag_parser.h"

namespace {

class FileBytes final : public standin::ByteSource {
 public:
  explicit FileBytes(HANDLE file) : file_(file) {}
  std::uint64_t size() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file_, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }
  std::string read(std::uint64_t offset, std::size_t count) override {
    // A forged size must not make a small file cost a large buffer.
    std::uint64_t total = size();
    if (offset >= total) return {};
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, total - offset));
    std::string bytes(count, '\0');
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
        !ReadFile(file_, bytes.data(), static_cast<DWORD>(count), &got, nullptr))
      got = 0;
    bytes.resize(got);
    return bytes;
  }

 private:
  HANDLE file_;
};

std::string toAnsi(const std::u16string& text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.c_str());
  int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
  return out;
}

std::wstring fromAnsi(const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

// What the last mp3infp_Load found; replaced by the next load.
struct LoadedFile {
  DWORD type = 0;
  DWORD tagKinds = 0;
  std::map<std::string, std::string> values;  // ANSI texts by key
  // The same as UTF-16: ID3v2 texts as the tag has them, ID3v1 and INFO
  // texts (bytes in the ANSI code page) read through the code page.
  std::map<std::string, std::wstring> wideValues;
};
LoadedFile loaded;
// The text mp3infp_GetValue answered last; its pointer is good until the next call.
std::string answer;
std::wstring wideAnswer;

// Appends one line to the file named by STANDIN_MP3INFP_LOG, if any.
void note(const std::string& event) {
  char path[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("STANDIN_MP3INFP_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = event + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

// The thread that loaded the library: the host's, at the plug-in's init.
DWORD attachingThread = 0;

// With STANDIN_MP3INFP_LOAD_MS set: waits that long, and notes the load.
void slowShare(const std::string& utf8Path) {
  char text[32] = {};
  DWORD length = GetEnvironmentVariableA("STANDIN_MP3INFP_LOAD_MS", text, sizeof text);
  if (length == 0 || length >= sizeof text) return;
  bool attaching = GetCurrentThreadId() == attachingThread;
  note("load " + utf8Path + (attaching ? " thread=attaching" : " thread=other"));
  Sleep(static_cast<DWORD>(std::strtoul(text, nullptr, 10)));
}

std::string utf8Of(const std::wstring& wide) {
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   nullptr);
  std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr,
                        nullptr);
  }
  return out;
}

// Reads the tags of an opened file into `loaded`; closes the file.
DWORD loadOpened(HANDLE file) {
  FileBytes bytes(file);
  std::optional<standin::ParsedFile> parsed;
  try {
    parsed = standin::parseFile(bytes);
  } catch (...) {
  }
  CloseHandle(file);
  if (!parsed) return ERROR_BAD_FORMAT;
  loaded.type = parsed->type;
  loaded.tagKinds = parsed->tagKinds;
  for (const auto& [key, text] : parsed->ansiValues) loaded.wideValues[key] = fromAnsi(text);
  for (const auto& [key, text] : parsed->unicodeValues) {
    loaded.wideValues[key] = std::wstring(text.begin(), text.end());
  }
  loaded.values = std::move(parsed->ansiValues);
  for (const auto& [key, text] : parsed->unicodeValues) loaded.values[key] = toAnsi(text);
  return 0;
}



}  // namespace

// FreeLibrary unloads with `reserved` null; the end of the process does not.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    attachingThread = GetCurrentThreadId();
    note("attach");
  }
  if (reason == DLL_PROCESS_DETACH) note(reserved ? "detach process-exit" : "detach unload");
  return TRUE;
}

extern "C" {

DWORD WINAPI mp3infp_GetVer() {
  char text[32] = {};
  DWORD length = GetEnvironmentVariableA("STANDIN_MP3INFP_VERSION", text, sizeof text);
  if (length > 0 && length < sizeof text) return static_cast<DWORD>(std::strtoul(text, nullptr, 0));
#ifdef STANDIN_LEAVE_OUT_WIDE
  return 0x227;  // a library from before the wide entries
#else
  return 0x254;
#endif
}

// 0 when the tags were read; ERROR_FILE_NOT_FOUND when the file cannot be
// opened, ERROR_BAD_FORMAT when it is no file this library knows.
DWORD WINAPI mp3infp_Load(HWND, LPCSTR path) {
  try {
    loaded = LoadedFile{};
    if (!path) return ERROR_FILE_NOT_FOUND;
    slowShare(utf8Of(fromAnsi(path)));
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ERROR_FILE_NOT_FOUND;
    return loadOpened(file);
  } catch (...) {
    loaded = LoadedFile{};
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

DWORD WINAPI mp3infp_GetType() {
  return loaded.type;
}

BOOL WINAPI mp3infp_GetValue(LPCSTR key, char** value) {
  try {
    if (!key || !value) return FALSE;
    auto found = loaded.values.find(key);
    if (found == loaded.values.end() || found->second.empty()) return FALSE;
    answer = found->second;
    *value = answer.data();
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

#ifndef STANDIN_LEAVE_OUT_TAG_TYPE
DWORD WINAPI mp3infp_mp3_GetTagType() {
  return loaded.type == standin::kTypeMp3 ? loaded.tagKinds : 0;
}
#endif

#ifndef STANDIN_LEAVE_OUT_WIDE
// The same as mp3infp_Load, for a path in UTF-16.
DWORD WINAPI mp3infp_LoadW(HWND, LPCWSTR path) {
  try {
    loaded = LoadedFile{};
    if (!path) return ERROR_FILE_NOT_FOUND;
    slowShare(utf8Of(path));
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ERROR_FILE_NOT_FOUND;
    return loadOpened(file);
  } catch (...) {
    loaded = LoadedFile{};
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

// The same as mp3infp_GetValue, with the key and the text in UTF-16.
BOOL WINAPI mp3infp_GetValueW(LPCWSTR key, wchar_t** value) {
  try {
    if (!key || !value) return FALSE;
    std::string narrowKey;
    for (; *key; ++key) {
      if (*key > 0x7F) return FALSE;  // keys are ASCII names
      narrowKey += static_cast<char>(*key);
    }
    auto found = loaded.wideValues.find(narrowKey);
    if (found == loaded.wideValues.end() || found->second.empty()) return FALSE;
    wideAnswer = found->second;
    *value = wideAnswer.data();
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}
#endif

}  // extern "C"
