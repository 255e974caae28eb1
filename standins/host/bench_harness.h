// The timing behind the bench steps: retitles of the main window, each timed
// with QueryPerformanceCounter until SetWindowTextA returns, that is, until
// everything a plug-in does synchronously for it has been done.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace standin {

// `count` (at least 1) retitles of `window` with the same `title`, timed
// together: "bench retitles=N total_us=T mean_us=M".
std::string benchRetitles(HWND window, const std::string& title, unsigned long count);

// `count` (at least 1) track changes, each timed alone: `nextTitle`
// (untimed) moves the player to its next track and answers that track's
// title, then the retitle is timed.
// "bench-tracks changes=N median_us=M p95_us=P max_us=X".
std::string benchTrackChanges(HWND window, const std::function<std::string()>& nextTitle,
                              unsigned long count);

// `count` (at least 1) track changes `intervalMs` apart, so that what a
// plug-in does after the retitle has returned can finish before the next.
// Each logs "bench-latency change=I begin_us=T": T is when its retitle
// began, by QueryPerformanceCounter in microseconds, the clock other
// programs (the stand-in encoder's "done" lines) read too.
void benchLatency(HWND window, const std::function<std::string()>& nextTitle, unsigned long count,
                  unsigned long intervalMs, const std::function<void(const std::string&)>& log);

}  // namespace standin
