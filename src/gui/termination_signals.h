#pragma once

// A desktop session that ends, `kill` or Ctrl+C ends the program with
// SIGTERM, SIGHUP or SIGINT. Left to the default action that would cut the
// program off in the middle of whatever it does, with the RCS program it
// waits for still running and the settings unsaved. Instead the signal
// reaches the interface thread, which stops the running command after the
// item at hand and leaves the event loop, so that the program ends as when
// its window is closed, but without asking anything: nobody may be there
// to answer. A project not saved by then stays as it was last saved.

namespace kestro::gui {

// Catches the signals from then on; call first thing, so that even a signal
// that comes while the window is being made is kept for later.
void CatchTerminationSignals();
// Acts on them (and on one caught before) once the application object
// exists.
void QuitCleanlyOnTerminationSignals();
// True once a signal asked the program to end: one that came before the
// main event loop ran could not end that loop.
bool TerminationRequested();

} // namespace kestro::gui
