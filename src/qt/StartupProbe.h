#pragma once

class QWidget;

// For the start-up benchmark: with KALVOR_STARTUP_PROBE set, prints the monotonic time of the
// window's first paint and, half a second later, the resident memory, then quits. Does
// nothing otherwise.
void ReportStartupWhenAsked(QWidget &window);
