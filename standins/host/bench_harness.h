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

}  // namespace standin
