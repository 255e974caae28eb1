// Code page 932's lead bytes, for the tests, fuzz targets and benchmarks
// that run without Windows' IsDBCSLeadByte: in it the second byte of a
// character may be 0x5C, the backslash ("ソ" is 83 5C).
#pragma once

namespace tavrik::testing {

inline bool isCodePage932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace tavrik::testing
