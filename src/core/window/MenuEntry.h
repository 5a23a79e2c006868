#pragma once

#include <string>

// One entry of a right-click menu the core describes (the preview's, the strip's). Both
// front-ends show the entries as they come and hand the chosen command back to the handler of
// that menu.
struct MenuEntry {
    int command = 0;  // what the menu's handler takes; 0 for a separator
    std::string text; // UTF-8
    bool checked = false;
    bool enabled = true;
    bool checkable = true; // shown with a check mark when checked
};
