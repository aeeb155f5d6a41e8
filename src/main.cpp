#include "app/ui/WidgetPrompt.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kova"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvan Configuration Manager"));

    WidgetPrompt prompt;
    Prompt::install(&prompt);

    // Placeholder frame until the main window arrives.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kova"));
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
