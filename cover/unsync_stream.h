// ID3v2's unsynchronisation undone while reading: every FF 00 in the stored
// bytes is the one byte FF. Undone in place, a read at a time, so that a
// picture takes no more memory unsynchronised than plain.
#pragma once

#include "cover/byte_stream.h"

namespace tavrik {

class UnsyncStream final : public ByteStream {
 public:
  explicit UnsyncStream(ByteStream& stored) : stored_(stored) {}
  std::size_t read(char* buffer, std::size_t capacity) override;
  // Reads and drops: how many stored bytes the count takes is known only so.
  bool skip(std::uint64_t count) override;

 private:
  ByteStream& stored_;
  bool afterFF_ = false;  // the last stored byte was FF, across reads
};

}  // namespace tavrik
