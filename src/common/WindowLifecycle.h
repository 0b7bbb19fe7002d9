#pragma once
// Where a program window is between its construction and the program's end: the reader and the
// speech window each keep one, changed in one place, and act on it instead of loose flags.

namespace orasent {

enum class WindowLifecycle {
    Created,   // constructed, not loaded yet
    Loaded,    // its load has run (or, for the speech window, is running)
    Unloading, // its unload is under way: a close now is the program's own
    Unloaded,  // unloaded at the program's end; nothing more is started
};

} // namespace orasent
