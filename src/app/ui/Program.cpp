#include "app/ui/Program.h"

#include "base/ui/WidgetPrompt.h"

#include <QGuiApplication>

namespace KovaProgram {

QString ApplicationTitle()
{
    return QStringLiteral("Orvan Configuration Manager");
}

void SetUpApplication(WidgetPrompt &prompt)
{
    QCoreApplication::setApplicationName(QStringLiteral("Kova"));
    // Lets Wayland and the task bar match the window to its installed kova.desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("kova"));
    prompt.setTitle(ApplicationTitle());
}

} // namespace KovaProgram
