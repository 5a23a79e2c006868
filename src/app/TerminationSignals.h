#pragma once

class QWidget;

// SIGTERM, SIGHUP and SIGINT close the window the way its close box does, so that the end of
// a session saves the settings too.
void CloseOnTerminationSignals(QWidget &window);
