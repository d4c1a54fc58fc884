#pragma once
// The program's own start and run: what every Quenby process with windows sets once its
// QApplication exists, and the event loop that ends when a window asks to end the application.

namespace quenby::app {

class Calculators;

// Name, icon, fonts, Qt's own texts in Chinese, and no quitting behind the windows' back when
// the last visible one closes.
void prepareApplication();

// Shows the start-up window (unless another is shown already, or `showStartWindow` is false) and runs the
// application until a window asks to end it. Ending leaves the event loop at once: no window is asked
// anything and no further handler runs.
int run(Calculators& calculators, bool showStartWindow = true);

}  // namespace quenby::app
