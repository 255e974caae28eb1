// Move-only owners for the stand-in player's handles: a copy would close twice.
#pragma once

#include <windows.h>

#include <utility>

namespace standin {

template <typename Handle, Handle Invalid, BOOL(WINAPI* Close)(Handle)>
class Owner {
 public:
  Owner() = default;
  explicit Owner(Handle handle) : handle_(handle) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : handle_(other.release()) {}
  Owner& operator=(Owner&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~Owner() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  Handle release() { return std::exchange(handle_, Invalid); }
  void reset(Handle handle = Invalid) {
    if (handle_ != Invalid) Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Invalid;
};

using OwnedHandle = Owner<HANDLE, nullptr, CloseHandle>;
using OwnedModule = Owner<HMODULE, nullptr, FreeLibrary>;

// CreateFile answers INVALID_HANDLE_VALUE, which is not a constant expression.
class OwnedFile {
 public:
  OwnedFile() = default;
  explicit OwnedFile(HANDLE handle) : handle_(handle) {}
  OwnedFile(const OwnedFile&) = delete;
  OwnedFile& operator=(const OwnedFile&) = delete;
  OwnedFile(OwnedFile&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  OwnedFile& operator=(OwnedFile&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~OwnedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace standin
