#include "app/ui/KovaIcons.h"
#include "app/ui/Main.h"
#include "app/ui/Program.h"
#include "base/ui/WidgetPrompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WidgetPrompt prompt;
    KovaProgram::SetUpApplication(prompt);
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

    TMainForm mainForm;
    mainForm.CreateDialogs();
    splash.reset();

    if (QScreen *screen = QApplication::primaryScreen())
        mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
    mainForm.showMaximized();

    mainForm.OpenCommandLine(QApplication::arguments().mid(1));
    return app.exec();
}
