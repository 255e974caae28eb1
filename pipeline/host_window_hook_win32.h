// The hook in front of the host's main window procedure: the title-change
// handling runs on WM_SETTEXT, then every message goes on, unchanged, to the
// procedure that was there before, and its answer comes back unchanged.
#pragma once

#include <windows.h>

#include <functional>

namespace tavrik {

// Puts the hook in front of `host`'s procedure, with the wide window
// functions when `host` is a Unicode window and the ANSI ones otherwise, so
// that every message reaches the host's procedure as it was sent. Until a
// handler is set it passes every message straight on.
void installHostWindowHook(HWND host);

// The handling the hook runs on WM_SETTEXT, before the message goes on; an
// empty one runs none.
void setTitleChangeHandling(std::function<void()> handling);

// Stops the handling and gives `host` its former procedure back. When another
// module subclassed the window after us, restoring would cut it off: the hook
// then stays as a pass-through and this module is pinned, so that the window
// never calls into unloaded code; the answer is false. Without a hook in
// place it only stops the handling.
bool releaseHostWindow(HWND host);

}  // namespace tavrik
