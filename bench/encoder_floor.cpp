// The floor under the plug-in's time from a retitle to the encoder's last
// action: the same text delivered to the same encoder by a program that does
// nothing else, through the plug-in's own EncoderLink (the window search,
// then the click, the text and the click). Usage:
//   encoder_floor.exe TEXT_FILE COUNT INTERVAL_MS
// Prints "floor change=I begin_us=T" per delivery, T by QueryPerformanceCounter
// in microseconds, the clock of the stand-in encoder's "done" lines.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "pipeline/encoder_link.h"
#include "pipeline/window_ops_win32.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: encoder_floor TEXT_FILE COUNT INTERVAL_MS\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const long count = std::atol(argv[2]);
  const DWORD intervalMs = static_cast<DWORD>(std::atol(argv[3]));

  tavrik::Win32WindowOps windows;
  tavrik::EncoderLink link(windows);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (long i = 0; i < count; ++i) {
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    link.deliverToEncoder(text);
    std::printf("floor change=%ld begin_us=%.0f\n", i,
                static_cast<double>(begin.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart));
    Sleep(intervalMs);
  }
  return 0;
}
