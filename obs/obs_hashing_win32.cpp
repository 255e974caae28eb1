#include "obs/obs_hashing_win32.h"

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <limits>

namespace tavrik {
namespace {

class AlgorithmHandle {
 public:
  AlgorithmHandle() {
    if (BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) handle_ = nullptr;
  }
  ~AlgorithmHandle() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  AlgorithmHandle(const AlgorithmHandle&) = delete;
  AlgorithmHandle& operator=(const AlgorithmHandle&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class HashHandle {
 public:
  explicit HashHandle(BCRYPT_ALG_HANDLE algorithm) {
    if (BCryptCreateHash(algorithm, &handle_, nullptr, 0, nullptr, 0, 0) != 0) handle_ = nullptr;
  }
  ~HashHandle() {
    if (handle_) BCryptDestroyHash(handle_);
  }
  HashHandle(const HashHandle&) = delete;
  HashHandle& operator=(const HashHandle&) = delete;
  BCRYPT_HASH_HANDLE get() const { return handle_; }

 private:
  BCRYPT_HASH_HANDLE handle_ = nullptr;
};

constexpr ULONG kSha256Length = 32;

}  // namespace

std::string WindowsObsHashing::sha256(const std::string& bytes) const {
  if (bytes.size() > std::numeric_limits<ULONG>::max()) return {};
  AlgorithmHandle algorithm;
  if (!algorithm.get()) return {};
  HashHandle hash(algorithm.get());
  if (!hash.get()) return {};
  auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
  if (BCryptHashData(hash.get(), data, static_cast<ULONG>(bytes.size()), 0) != 0) return {};
  std::string digest(kSha256Length, '\0');
  if (BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()), kSha256Length, 0) != 0) return {};
  return digest;
}

std::string WindowsObsHashing::base64(const std::string& bytes) const {
  if (bytes.empty()) return {};
  if (bytes.size() > std::numeric_limits<DWORD>::max() / 2) return {};
  const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
  const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
  DWORD length = 0;
  if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &length)) return {};
  std::string text(length, '\0');
  if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, text.data(), &length)) return {};
  // The second call counts without the terminating NUL it wrote.
  text.resize(length);
  return text;
}

}  // namespace tavrik
