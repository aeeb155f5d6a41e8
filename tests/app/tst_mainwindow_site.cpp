#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "Simulator.h"
#include "app/ui/Main.h"
#include "device/ui/DeviceList.h"
#include "device/ui/Password.h"
#include "site/OrvanSite.h"
#include "site/ui/Site.h"
#include "site/ui/TransferSite.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// A web site through the whole program: the main window's commands, the connected gateway's
// log-in and the simulated gateway's FTP server.
class TestMainWindowSite : public QObject
{
    Q_OBJECT

    // Closes each transfer dialog once it has completed.
    static void closeTransfersWhenDone(QObject *owner)
    {
        auto *timer = new QTimer(owner);
        QObject::connect(timer, &QTimer::timeout, [] {
            auto *dialog = qobject_cast<TfrmTransferSite *>(QApplication::activeModalWidget());
            if (dialog && dialog->findChild<QLabel *>(QStringLiteral("lblStatus"))->text() == QLatin1String("TRANSFER COMPLETED!"))
                dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
        });
        timer->start(20);
    }

private slots:
    void getAndSendThroughTheMainWindow()
    {
        RecordingPrompt prompt;
        QTemporaryDir dir;
        sim::Simulator::Options options;
        sim::Simulator simulator(options);
        sim::GatewayState g;
        g.model = "1119";
        g.mac = "00:1D:7A:00:00:01";
        g.ip = "127.0.0.2";
        g.adminPassword = "secret";

        // The gateway's present site: one page.
        const QString page = dir.filePath(QStringLiteral("index.htm"));
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'p'));
        file.close();
        TOrvanSite original;
        QVERIFY(original.Create(dir.filePath(QStringLiteral("original.qsw"))));
        QVERIFY(original.AddFile(page));
        g.siteImage = original.Image();
        simulator.addGateway(g);
        simulator.start();

        TMainForm::Endpoints endpoints;
        endpoints.udpPort = simulator.udpPort();
        endpoints.broadcast = simulator.options().udpAddress;
        endpoints.httpPort = simulator.httpPort();
        endpoints.ftpPort = simulator.ftpPort();
        TMainForm form(endpoints);
        form.CreateDialogs();
        form.show();

        form.action(QStringLiteral("DevicesSearchLocal"))->trigger();
        form.DeviceList()->selectRow(0);
        form.ApplicationUpdate();
        QTimer::singleShot(0, &form, [&] {
            QTRY_VERIFY(form.frmPassword()->isVisible());
            form.frmPassword()->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(QStringLiteral("secret"));
            form.frmPassword()->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        });
        form.action(QStringLiteral("DevicesConnect"))->trigger();
        QVERIFY(form.Connected());

        closeTransfersWhenDone(&form);
        form.action(QStringLiteral("WebSiteGetFromOrvan"))->trigger();
        auto *site = qobject_cast<TMDISite *>(form.ActiveDocument());
        QVERIFY(site);
        QCOMPARE(site->Site().Image(), original.Image());
        QVERIFY(!site->Saved());

        // Save it, add a second page, and send it back.
        prompt.saveAnswers.enqueue(dir.filePath(QStringLiteral("fetched.qsw")));
        form.action(QStringLiteral("FileSave"))->trigger();
        QVERIFY(site->Saved());
        const QString second = dir.filePath(QStringLiteral("about.htm"));
        QFile other(second);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("<html>about</html>");
        other.close();
        prompt.openAnswers.enqueue({second});
        form.action(QStringLiteral("WebSiteAddFile"))->trigger();
        QCOMPARE(site->Site().FileCount(), 2);
        form.action(QStringLiteral("WebSiteSendToOrvan"))->trigger();
        QCOMPARE(simulator.gateway(0).snapshot().siteImage, site->Site().Image());
        QVERIFY(prompt.texts("error").isEmpty());
        site->SetSaved(true);
    }
};

KOVA_TEST(TestMainWindowSite)
#include "tst_mainwindow_site.moc"
