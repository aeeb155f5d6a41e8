#include "app/ui/KovaIcons.h"
#include "app/ui/Main.h"
#include "base/ui/WidgetPrompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kova"));
    // Lets Wayland and the task bar match the window to its installed kova.desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("kova"));

    WidgetPrompt prompt;
    Prompt::install(&prompt);

    // The splash stays up for two seconds before anything else is built.
    auto splash = std::make_unique<QSplashScreen>(KovaIcons::splash());
    splash->setObjectName(QStringLiteral("frmSplash"));
    splash->show();
    splash->repaint();
    {
        QEventLoop wait;
        QTimer::singleShot(2000, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }

    QApplication::setApplicationDisplayName(QStringLiteral("Orvan Configuration Manager"));

    TMainForm mainForm;
    mainForm.CreateDialogs();
    splash.reset();

    if (QScreen *screen = QApplication::primaryScreen())
        mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
    mainForm.showMaximized();

    mainForm.OpenCommandLine(QApplication::arguments().mid(1));
    return app.exec();
}
