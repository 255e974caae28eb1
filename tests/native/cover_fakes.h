// An in-memory stand-in for the cover reader's files, for the unit tests and
// the fuzz target: files made of bytes and of long runs of one byte that
// take no memory (a 100 MiB audio chunk, a 20 MiB picture), reads that may
// come short, and a count of every byte read, path opened and folder listed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cover/cover_files.h"

namespace tavrik::testing {

class FileContent {
 public:
  FileContent& add(std::string_view bytes) {
    parts_.push_back({size(), std::string(bytes), 0, 0});
    return *this;
  }
  FileContent& addRun(std::uint64_t count, char byte = 0) {
    parts_.push_back({size(), {}, count, byte});
    return *this;
  }
  std::uint64_t size() const { return parts_.empty() ? 0 : parts_.back().start + parts_.back().length(); }

  void copy(std::uint64_t offset, char* out, std::size_t count) const {
    for (const Part& part : parts_) {
      if (count == 0) return;
      if (offset >= part.start + part.length()) continue;
      std::uint64_t within = offset - part.start;
      std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, part.length() - within));
      if (part.bytes.empty()) {
        std::memset(out, part.run, n);
      } else {
        std::memcpy(out, part.bytes.data() + within, n);
      }
      out += n;
      offset += n;
      count -= n;
    }
  }

 private:
  struct Part {
    std::uint64_t start;
    std::string bytes;
    std::uint64_t runLength;
    char run;
    std::uint64_t length() const { return bytes.empty() ? runLength : bytes.size(); }
  };
  std::vector<Part> parts_;
};

struct FileCounts {
  std::uint64_t bytesRead = 0;
  std::vector<std::u16string> opened;
  std::vector<std::u16string> listed;
};

class MemoryCoverFile final : public CoverFile {
 public:
  MemoryCoverFile(FileContent content, FileCounts& counts, std::size_t mostPerRead, std::uint64_t readable)
      : content_(std::move(content)), counts_(counts), mostPerRead_(mostPerRead), readable_(readable) {}

  // Past `readable` bytes every read fails, as on a disk error.
  std::size_t read(char* buffer, std::size_t capacity) override {
    std::uint64_t end = std::min(content_.size(), readable_);
    if (position_ >= end) return 0;
    std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>({capacity, mostPerRead_, end - position_}));
    content_.copy(position_, buffer, count);
    position_ += count;
    counts_.bytesRead += count;
    return count;
  }
  bool skip(std::uint64_t count) override {
    if (count > content_.size() - position_) {
      position_ = content_.size();
      return false;
    }
    position_ += count;
    return true;
  }
  std::uint64_t size() const override { return content_.size(); }

 private:
  FileContent content_;
  FileCounts& counts_;
  std::size_t mostPerRead_;
  std::uint64_t readable_;
  std::uint64_t position_ = 0;
};

// Folders list their files in the order they were put.
class MemoryCoverFiles final : public CoverFiles {
 public:
  // A path put again holds its new content.
  void put(const std::u16string& path, FileContent content) {
    for (auto& file : files_) {
      if (file.first == path) {
        file.second = std::move(content);
        return;
      }
    }
    files_.emplace_back(path, std::move(content));
  }
  void put(const std::u16string& path, std::string_view bytes) { put(path, FileContent().add(bytes)); }
  // Every read answers at most this many bytes.
  void readAtMost(std::size_t count) { mostPerRead_ = count; }
  // Reads of every file fail from this offset on.
  void failReadsFrom(std::uint64_t offset) { readable_ = offset; }

  std::unique_ptr<CoverFile> openShared(const std::u16string& path) override {
    counts.opened.push_back(path);
    for (const auto& [name, content] : files_) {
      if (name == path) return std::make_unique<MemoryCoverFile>(content, counts, mostPerRead_, readable_);
    }
    return nullptr;
  }
  std::vector<std::u16string> fileNamesIn(const std::u16string& folder, std::size_t limit) override {
    counts.listed.push_back(folder);
    std::vector<std::u16string> names;
    for (const auto& file : files_) {
      const std::u16string& path = file.first;
      if (names.size() == limit) break;
      if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) continue;
      std::u16string name = path.substr(folder.size());
      if (name.find_first_of(u"\\/") == std::u16string::npos) names.push_back(name);
    }
    return names;
  }

  FileCounts counts;

 private:
  std::vector<std::pair<std::u16string, FileContent>> files_;
  std::size_t mostPerRead_ = std::numeric_limits<std::size_t>::max();
  std::uint64_t readable_ = std::numeric_limits<std::uint64_t>::max();
};

}  // namespace tavrik::testing
