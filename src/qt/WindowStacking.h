#pragma once

class QWidget;

// Asks the window manager to keep the window above ordinary windows, before or after it shows.
void KeepAboveOthers(QWidget &window);
