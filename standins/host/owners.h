// Move-only owners for the stand-in player's handles: a copy would close
// twice. A move into an owner closes what it held before.
#pragma once

#include <windows.h>

#include <utility>

namespace standin {

template <typename Traits>
class Owner {
 public:
  using Handle = typename Traits::Handle;

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
  explicit operator bool() const { return handle_ != Traits::invalid(); }
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle handle = Traits::invalid()) {
    if (handle_ != Traits::invalid()) Traits::close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct KernelHandle {
  using Handle = HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { CloseHandle(handle); }
};
// CreateFile answers INVALID_HANDLE_VALUE on failure, not null.
struct FileHandle {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle handle) { CloseHandle(handle); }
};
struct ModuleHandle {
  using Handle = HMODULE;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { FreeLibrary(handle); }
};

using OwnedHandle = Owner<KernelHandle>;
using OwnedFile = Owner<FileHandle>;
using OwnedModule = Owner<ModuleHandle>;

}  // namespace standin
