#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "base/KovaOptions.h"
#include "app/ui/Options.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<TfrmOptions> m_dialog;

    template <typename T>
    T *w(const char *name) const
    {
        T *widget = m_dialog->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QLineEdit *edit(const char *name) const { return w<QLineEdit>(name); }
    QAbstractButton *button(const char *name) const { return w<QAbstractButton>(name); }

    void openDialog()
    {
        m_dialog = std::make_unique<TfrmOptions>();
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    // Fills a form that passes every check.
    void fillValid()
    {
        edit("txtHTTPProxyPort")->setText("8080");
        edit("txtFTPProxyPort")->setText("21");
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath("kova.ini");
        QFile::remove(m_path);
        KovaOptions::setIniPath(m_path);
    }
    void cleanup() { m_dialog.reset(); }
    void cleanupTestCase() { KovaOptions::setIniPath({}); }

    void showLoadsSettingsPasswordsEmpty()
    {
        SetHTTPProxyEnabled(true);
        SetHTTPProxyServer("proxy.lan");
        SetHTTPProxyPort(3128);
        SetHTTPProxyAuth(true);
        SetHTTPProxyUserName("alice");
        SetHTTPProxyPassword("secret");
        SetFTPProxyMethod(3);
        SetFTPProxyPassword("ftpsecret");
        openDialog();
        QCOMPARE(m_dialog->windowTitle(), QString("Orvan Configuration Manager Options"));
        QVERIFY(button("chkUseHTTPProxy")->isChecked());
        QCOMPARE(edit("txtHTTPProxy")->text(), QString("proxy.lan"));
        QCOMPARE(edit("txtHTTPProxyPort")->text(), QString("3128"));
        QCOMPARE(edit("txtHTTPUsername")->text(), QString("alice"));
        QCOMPARE(edit("txtHTTPPassword")->text(), QString());
        QCOMPARE(edit("txtHTTPPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(edit("txtFTPPassword")->text(), QString());
        QCOMPARE(edit("txtHTTPProxyPort")->maxLength(), 5);
        QVERIFY(button("rdoOpenMode")->isChecked());
        QVERIFY(edit("txtHTTPUsername")->isEnabled());
        QVERIFY(!edit("txtFTPProxy")->isEnabled());
        QCOMPARE(w<QTabWidget>("pgcOptions")->currentIndex(), 0);
    }

    void methodZeroChecksNoRadio()
    {
        SetFTPProxyMethod(0);
        openDialog();
        for (const char *name : {"rdoUserMode", "rdoSiteMode", "rdoOpenMode", "rdoUserPass"})
            QVERIFY(!button(name)->isChecked());
    }

    void httpEnabling_data()
    {
        QTest::addColumn<bool>("proxy");
        QTest::addColumn<bool>("auth");
        QTest::addColumn<bool>("serverEnabled");
        QTest::addColumn<bool>("credentialsEnabled");
        QTest::newRow("off") << false << true << false << false;
        QTest::newRow("on, no auth") << true << false << true << false;
        QTest::newRow("on, auth") << true << true << true << true;
    }
    void httpEnabling()
    {
        QFETCH(bool, proxy);
        QFETCH(bool, auth);
        QFETCH(bool, serverEnabled);
        QFETCH(bool, credentialsEnabled);
        openDialog();
        button("chkUseHTTPProxy")->setChecked(!proxy);
        button("chkUseHTTPProxy")->click();
        if (proxy) {
            if (button("chkHTTPProxyAuthentication")->isChecked() != auth)
                button("chkHTTPProxyAuthentication")->click();
        } else {
            button("chkHTTPProxyAuthentication")->setChecked(auth);
        }
        QCOMPARE(edit("txtHTTPProxy")->isEnabled(), serverEnabled);
        QCOMPARE(edit("txtHTTPProxyPort")->isEnabled(), serverEnabled);
        QCOMPARE(button("chkHTTPProxyAuthentication")->isEnabled(), serverEnabled);
        QCOMPARE(edit("txtHTTPUsername")->isEnabled(), credentialsEnabled);
        QCOMPARE(edit("txtHTTPPassword")->isEnabled(), credentialsEnabled);
    }

    void ftpEnabling_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("logonBefore");
        QTest::addColumn<bool>("logonChecked");
        QTest::addColumn<bool>("logonEnabled");
        QTest::newRow("user mode unchecks and disables") << "rdoUserMode" << true << false << false;
        QTest::newRow("user/pass checks") << "rdoUserPass" << false << true << true;
        QTest::newRow("site leaves it") << "rdoSiteMode" << false << false << true;
        QTest::newRow("open leaves it checked") << "rdoOpenMode" << true << true << true;
    }
    void ftpEnabling()
    {
        QFETCH(QString, radio);
        QFETCH(bool, logonBefore);
        QFETCH(bool, logonChecked);
        QFETCH(bool, logonEnabled);
        SetFTPProxyEnabled(true);
        SetFTPProxyMethod(2);
        SetFTPProxyAuth(logonBefore);
        openDialog();
        button(radio.toLatin1().constData())->click();
        QCOMPARE(button("chkFirewallLogon")->isChecked(), logonChecked);
        QCOMPARE(button("chkFirewallLogon")->isEnabled(), logonEnabled);
        QCOMPARE(edit("txtFTPUsername")->isEnabled(), logonChecked);
        QCOMPARE(edit("txtFTPPassword")->isEnabled(), logonChecked);
        // Switching the proxy off disables the lot.
        button("chkUseFTPProxy")->click();
        for (const char *name : {"rdoUserMode", "rdoSiteMode", "rdoOpenMode", "rdoUserPass", "chkFirewallLogon"})
            QVERIFY(!button(name)->isEnabled());
        QVERIFY(!edit("txtFTPProxy")->isEnabled());
        QVERIFY(!edit("txtFTPUsername")->isEnabled());
    }

    // Each row breaks exactly one check of a form that otherwise passes; the checks run
    // in order, so a row also proves that no earlier check fires.
    void validation_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("page");
        QTest::newRow("1 http server") << "httpOn" << "Not valid Proxy Server for HTTP." << 0;
        QTest::newRow("2 http port empty, proxy off")
            << "httpPortEmpty" << "Not valid Proxy Port Number for HTTP." << 0;
        QTest::newRow("2 http port too big") << "httpPort65536" << "Not valid Proxy Port Number for HTTP." << 0;
        QTest::newRow("3 auth with proxy off, no password")
            << "httpAuthNoPassword" << "Must provide a User and Password for HTTP Proxy authentication." << 0;
        QTest::newRow("http credentials too long")
            << "httpTooLong" << "The User and Password for HTTP Proxy authentication are too long." << 0;
        QTest::newRow("4 ftp server") << "ftpOn" << "Not valid Proxy Server for FTP." << 1;
        QTest::newRow("5 ftp port") << "ftpPortText" << "Not valid Proxy Port Number for FTP." << 1;
        QTest::newRow("6 no firewall type") << "ftpNoMethod" << "Must Select a Firewall Type." << 1;
        QTest::newRow("7 logon without user")
            << "ftpLogonNoUser" << "Must provide a User and Password for FTP Proxy authentication." << 1;
    }
    void validation()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QFETCH(int, page);
        if (setup == "ftpNoMethod")
            SetFTPProxyMethod(0);
        openDialog();
        fillValid();
        if (setup == "httpOn") {
            button("chkUseHTTPProxy")->click();
        } else if (setup == "httpPortEmpty") {
            edit("txtHTTPProxyPort")->clear();
        } else if (setup == "httpPort65536") {
            edit("txtHTTPProxyPort")->setText("65536");
        } else if (setup == "httpAuthNoPassword") {
            button("chkHTTPProxyAuthentication")->setChecked(true);
            edit("txtHTTPUsername")->setText("u");
        } else if (setup == "httpTooLong") {
            edit("txtHTTPUsername")->setText(QString(990, QLatin1Char('u')));
        } else if (setup == "ftpOn" || setup == "ftpNoMethod") {
            button("chkUseFTPProxy")->click();
            if (setup == "ftpNoMethod")
                edit("txtFTPProxy")->setText("fw");
        } else if (setup == "ftpPortText") {
            edit("txtFTPProxyPort")->setText("2l");
        } else if (setup == "ftpLogonNoUser") {
            button("chkFirewallLogon")->setChecked(true);
            edit("txtFTPPassword")->setText("p");
        }
        const QByteArray before = readFile(m_path);
        RecordingPrompt prompt;
        button("btnOk")->click();
        QCOMPARE(prompt.texts("error"), QStringList{message});
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(w<QTabWidget>("pgcOptions")->currentIndex(), page);
        QCOMPARE(readFile(m_path), before); // nothing written
    }

    void okWritesEverySettingInOrder()
    {
        openDialog();
        button("chkUseHTTPProxy")->click();
        edit("txtHTTPProxy")->setText("proxy");
        edit("txtHTTPProxyPort")->setText("3128");
        button("chkHTTPProxyAuthentication")->click();
        edit("txtHTTPUsername")->setText("joe");
        edit("txtHTTPPassword")->setText("a=b");
        button("chkUseFTPProxy")->click();
        edit("txtFTPProxy")->setText("fw");
        edit("txtFTPProxyPort")->setText("21");
        button("rdoUserPass")->click();
        edit("txtFTPUsername")->setText("");
        edit("txtFTPPassword")->setText("");
        edit("txtFTPUsername")->setText("joe");
        edit("txtFTPPassword")->setText("a=b");
        RecordingPrompt prompt;
        button("btnOk")->click();
        QVERIFY(prompt.log.isEmpty());
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        const QByteArray auth = "BFABACB8BCBFACBFD8ABADBBAEB2BFB3BBC396919BD4B0BFADADA9B1AEBCC39FD19B8F9ED4D7C5";
        QCOMPARE(readFile(m_path), "[PROXYHTTP]\r\nENABLED=1\r\nSERVER=proxy\r\nPORT=3128\r\nAUTH=1\r\nAUTHDATA=" + auth
                                       + "\r\n\r\n[PROXYFTP]\r\nENABLED=1\r\nSERVER=fw\r\nPORT=21\r\nMETHOD=4\r\n"
                                         "AUTH=1\r\nAUTHDATA=" + auth + "\r\n\r\n");
    }

    // Passwords are never shown, so OK without retyping them stores empty ones.
    void okWithoutRetypingClearsPasswords()
    {
        SetHTTPProxyUserName("alice");
        SetHTTPProxyPassword("secret");
        openDialog();
        fillValid();
        RecordingPrompt prompt;
        button("btnOk")->click();
        QVERIFY(prompt.log.isEmpty());
        QCOMPARE(GetHTTPProxyUserName(), QString("alice"));
        QCOMPARE(GetHTTPProxyPassword(), QString());
        QCOMPARE(GetFTPProxyMethod(), 1); // default method shown as rdoUserMode, written back
    }

    void cancelWritesNothing()
    {
        openDialog();
        button("chkUseHTTPProxy")->click();
        button("btnCancel")->click();
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(m_path));
    }

    // Each group's fields start at one edge, and a group is no taller than its fields.
    void layout_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("HTTP") << 0 << "grpHTTPProxy"
                              << QStringList{"txtHTTPProxy", "txtHTTPProxyPort", "txtHTTPUsername", "txtHTTPPassword"};
        QTest::newRow("FTP") << 1 << "grpFTPProxy"
                             << QStringList{"txtFTPProxy", "txtFTPProxyPort", "txtFTPUsername", "txtFTPPassword"};
    }
    void layout()
    {
        QFETCH(int, page);
        QFETCH(QString, group);
        QFETCH(QStringList, fields);
        openDialog();
        w<QTabWidget>("pgcOptions")->setCurrentIndex(page);
        auto *box = m_dialog->findChild<QGroupBox *>(group);
        QTRY_VERIFY(box->isVisible());
        const int left = edit(qPrintable(fields.first()))->mapTo(m_dialog.get(), QPoint()).x();
        for (const QString &field : fields)
            QCOMPARE(edit(qPrintable(field))->mapTo(m_dialog.get(), QPoint()).x(), left);
        QCOMPARE(box->height(), box->sizeHint().height());
    }
};

KOVA_TEST(TestOptionsDialog)
#include "tst_options.moc"
