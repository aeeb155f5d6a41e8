#pragma once

#include <QString>

class WidgetPrompt;

// What the program calls itself. Its name, "Kova", names its settings folder
// (~/.config/Kova). Its application title heads its message boxes; it is deliberately not
// made Qt's application display name, which X11 would append to every window's title
// ("Kova - [] - Not Connected — Orvan Configuration Manager"): titles read exactly as the
// windows set them.
namespace KovaProgram {

QString ApplicationTitle();

// Run once the application object exists, before any window: the name, the desktop entry
// the windows belong to, and the title of the prompt's message boxes.
void SetUpApplication(WidgetPrompt &prompt);

} // namespace KovaProgram
