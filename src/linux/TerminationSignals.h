#pragma once

class QWidget;

// SIGTERM, SIGHUP and SIGINT close the window the way its close box does, so that the end of
// a session saves the settings too. A signal the parent set to be ignored (nohup) stays
// ignored.
void CloseOnTerminationSignals(QWidget &window);
// Whether one of them closed it: the session is ending, and nobody waits for a dialog.
bool ClosedByTerminationSignal();
