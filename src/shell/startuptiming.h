#pragma once

class QWidget;

// For the start-up benchmark only: when QUORVANE_STARTUP_TIMING is set, the
// program prints one line once the window has been shown and painted, then
// ends at once. Without the variable it does nothing.
namespace StartupTiming {

void reportWhenShown(QWidget *window);

} // namespace StartupTiming
