#pragma once

namespace mirelo {

// The history window: one window listing what the store and the history files hold, newest first,
// with a search box that filters as one types and the received list's columns and sorting. The
// files are read on a worker; the window reads them again when a batch is stored while it is open.
void ShowHistoryWindow();
// A file of the history changed; an open window reads the files again. Any thread may call it.
void PostHistoryChanged();
// Closes the window, if open (at exit).
void CloseHistoryWindow();

}  // namespace mirelo
