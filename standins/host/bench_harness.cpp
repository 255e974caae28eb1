#include "bench_harness.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace standin {

namespace {

double microsecondsBetween(const LARGE_INTEGER& begin, const LARGE_INTEGER& end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(end.QuadPart - begin.QuadPart) * 1e6 /
         static_cast<double>(frequency.QuadPart);
}

double microsecondsSinceBoot(const LARGE_INTEGER& counter) {
  LARGE_INTEGER zero{};
  return microsecondsBetween(zero, counter);
}

}  // namespace

std::string benchRetitles(HWND window, const std::string& title, unsigned long count) {
  LARGE_INTEGER begin, end;
  QueryPerformanceCounter(&begin);
  for (unsigned long i = 0; i < count; ++i) SetWindowTextA(window, title.c_str());
  QueryPerformanceCounter(&end);
  double totalUs = microsecondsBetween(begin, end);
  char text[160];
  std::snprintf(text, sizeof text, "bench retitles=%lu total_us=%.1f mean_us=%.3f", count,
                totalUs, totalUs / count);
  return text;
}

std::string benchTrackChanges(HWND window, const std::function<std::string()>& nextTitle,
                              unsigned long count) {
  std::vector<double> micros;
  micros.reserve(count);
  for (unsigned long i = 0; i < count; ++i) {
    std::string title = nextTitle();
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    SetWindowTextA(window, title.c_str());
    QueryPerformanceCounter(&end);
    micros.push_back(microsecondsBetween(begin, end));
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double share) { return micros[static_cast<std::size_t>(share * (micros.size() - 1))]; };
  char text[200];
  std::snprintf(text, sizeof text, "bench-tracks changes=%lu median_us=%.1f p95_us=%.1f max_us=%.1f",
                count, at(0.5), at(0.95), micros.back());
  return text;
}

void benchLatency(HWND window, const std::function<std::string()>& nextTitle, unsigned long count,
                  unsigned long intervalMs, const std::function<void(const std::string&)>& log) {
  for (unsigned long i = 0; i < count; ++i) {
    std::string title = nextTitle();
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    SetWindowTextA(window, title.c_str());
    char text[120];
    std::snprintf(text, sizeof text, "bench-latency change=%lu begin_us=%.0f", i,
                  microsecondsSinceBoot(begin));
    log(text);
    Sleep(intervalMs);
  }
}

}  // namespace standin
