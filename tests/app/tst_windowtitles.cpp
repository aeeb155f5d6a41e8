#include "TestRegistry.h"

#include "TestDocuments.h"
#include "app/ui/Main.h"
#include "app/ui/Options.h"
#include "app/ui/Program.h"
#include "base/ui/WidgetPrompt.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

const char kChildVariable[] = "KOVA_TITLES_CHILD";

// The title the X server holds for a window, as other programs (the window manager) read it.
QString x11Title(const QWidget &window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {"-id", QString::number(window.winId()), "_NET_WM_NAME"});
    xprop.waitForFinished(10000);
    const QString line = QString::fromUtf8(xprop.readAll()).trimmed(); // _NET_WM_NAME(UTF8_STRING) = "..."
    const qsizetype quote = line.indexOf(QLatin1Char('"'));
    return quote < 0 ? line : line.mid(quote + 1).chopped(1);
}

} // namespace

// On X11 the titles reach the window manager exactly as the windows set them, with no
// application name appended. Runs this program again under a virtual X server.
class TestWindowTitles : public QObject
{
    Q_OBJECT

private slots:
    void titlesReadAsSet()
    {
        if (qEnvironmentVariableIsSet(kChildVariable)) {
            WidgetPrompt prompt;
            KovaProgram::SetUpApplication(prompt);
            TMainEndpoints loopback; // nothing is sent, but nothing could leave the machine either
            loopback.broadcast = "127.0.0.2";
            TMainForm form(loopback, TestDocumentKinds());
            TfrmOptions options(&form);
            form.show();
            options.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(QTest::qWaitForWindowExposed(&options));
            QCOMPARE(x11Title(form), QStringLiteral("Kova - [] - Not Connected"));
            QCOMPARE(x11Title(options), QStringLiteral("Orvan Configuration Manager Options"));
            return;
        }
        for (const char *tool : {"xvfb-run", "xprop"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
        env.insert(QStringLiteral("KOVA_TEST_CLASS"), QStringLiteral("TestWindowTitles"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("xvfb-run"), {"-a", QCoreApplication::applicationFilePath(), "titlesReadAsSet"});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(output.contains("PASS   : TestWindowTitles::titlesReadAsSet()"), output.constData());
    }
};

KOVA_TEST(TestWindowTitles)
#include "tst_windowtitles.moc"
