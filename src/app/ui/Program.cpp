#include "app/ui/Program.h"

#include "base/ui/WidgetPrompt.h"

#include <QCoreApplication>

namespace KovaProgram {

QString ApplicationTitle()
{
    return QStringLiteral("Orvan Configuration Manager");
}

void SetUpApplication(WidgetPrompt &prompt)
{
    QCoreApplication::setApplicationName(QStringLiteral("Kova"));
    prompt.setTitle(ApplicationTitle());
}

} // namespace KovaProgram
