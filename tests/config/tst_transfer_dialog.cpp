#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "TransferRig.h"

#include "config/ui/TransferConfig.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(sim::FaultKind)

namespace {

using Direction = TfrmTransferConfig::Direction;

std::unique_ptr<TfrmTransferConfig> makeDialog(TagProtocol protocol, THttpChannel &channel)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return std::make_unique<TfrmTransferModbusConfig>(channel);
    case TagProtocol::Hostlink:
        return std::make_unique<TfrmTransferHostlinkConfig>(channel);
    case TagProtocol::DF1:
        break;
    }
    return std::make_unique<TfrmTransferDF1Config>(channel);
}

QString text(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(name)->text();
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(name);
}

// Clicks Close once the transfer of a modal showing has ended (bounded: 10 s).
void closeWhenDone(TfrmTransferConfig &dialog)
{
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=, &dialog] {
        QPushButton *close = button(&dialog, "btnCancel");
        const bool done = dialog.isVisible() && !dialog.Running() && close->isEnabled();
        if (done)
            close->click();
        if (done || clock->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
            delete clock;
        }
    });
    timer->start(10);
}

const QString NoResponse = QStringLiteral("No Response from Device. Check the connection and try again.");

} // namespace

// The transfer dialogs against the simulated gateways.
class TestTransferDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<TransferRig> m_rig;

private slots:
    void cleanupTestCase() { m_rig.reset(); }

    void showing_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<bool>("send");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("description");
        QTest::newRow("modbus send") << TagProtocol::Modbus << true << "Send Configuration To Orvan Modbus"
                                     << "Sending Configuration To Orvan Modbus...";
        QTest::newRow("hostlink get") << TagProtocol::Hostlink << false << "Get Configuration From Orvan Hostlink"
                                      << "Getting Configuration From Orvan Hostlink...";
        QTest::newRow("df1 send") << TagProtocol::DF1 << true << "Send Configuration To Orvan DF1"
                                  << "Sending Configuration To Orvan DF1...";
    }

    // Texts, the one run per showing, no closing half-way, the blinking end.
    void showing()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(bool, send);
        RecordingPrompt prompt;
        TransferRig rig;
        rig.gateway(protocol).setFault(send ? "STOP" : "GETTAGCOUNT", {sim::FaultKind::Delay, 300});
        auto dialog = makeDialog(protocol, rig.channel);
        dialog->SetDirection(send ? Direction::Send : Direction::Get);
        dialog->SetDevice(rig.device(protocol));
        // Looked at from the event loop the running transfer keeps turning.
        bool running = false, buttonsOff = false, stayed = false;
        QTimer::singleShot(150, dialog.get(), [&] {
            running = dialog->Running();
            buttonsOff = !button(dialog.get(), "btnRetry")->isEnabled() && !button(dialog.get(), "btnCancel")->isEnabled();
            dialog->reject();
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
            dialog->close();
            stayed = dialog->isVisible();
        });
        dialog->show();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->Completed(), 10000);
        QVERIFY(running && buttonsOff && stayed);
        QTEST(dialog->windowTitle(), "caption");
        QTEST(text(dialog.get(), "lblDescription"), "description");
        QCOMPARE(text(dialog.get(), "stIPAddress"), QString::fromLatin1(rig.device(protocol).IPAddress));
        QCOMPARE(text(dialog.get(), "stMACAddress"), QString::fromLatin1(rig.device(protocol).MAC));
        QVERIFY(dialog->Completed());
        QCOMPARE(text(dialog.get(), "lblStatus"), QStringLiteral("TRANSFER COMPLETED!"));
        QCOMPARE(dialog->findChild<QProgressBar *>("Progress")->value(), send ? 12 : 9);
        QVERIFY(!button(dialog.get(), "btnRetry")->isEnabled());
        QVERIFY(button(dialog.get(), "btnCancel")->isEnabled());
        auto *status = dialog->findChild<QLabel *>("lblStatus");
        QTRY_VERIFY(status->isHidden());
        QTRY_VERIFY(!status->isHidden());
        QTest::qWait(100); // a later activation starts nothing
        QCOMPARE(rig.gateway(protocol).snapshot().resets, send ? 1 : 0);
        button(dialog.get(), "btnCancel")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->findChild<QTimer *>("TimerBlink")->isActive());
        QVERIFY(prompt.log.isEmpty());
    }

    // Each step failing in turn stops the sequence there with the messages; Retry starts
    // again from the first step.
    void failures_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<sim::FaultKind>("fault");
        const QList<sim::FaultKind> faults = {sim::FaultKind::Nak, sim::FaultKind::WrongReply, sim::FaultKind::HttpError,
                                              sim::FaultKind::Drop};
        const char *sendSteps[] = {"STOP", "SETCOM", "SETSMTP", "SETTOO", "ENABLETAGADMIN", "DELALLTAG", "ADDTAG",
                                   "DISABLETAGADMIN", "RESET"};
        const char *getSteps[] = {"GETTAGCOUNT", "STOP", "GETCOM", "GETSMTP", "GETTOO", "GETTAG", "RUN"};
        const char *names[] = {"NAK", "wrong reply", "HTTP 500", "dropped"};
        for (int f = 0; f < 4; ++f) {
            for (const char *step : sendSteps)
                QTest::addRow("send %s, %s", step, names[f]) << true << QByteArray(step) << faults[f];
            for (const char *step : getSteps)
                QTest::addRow("get %s, %s", step, names[f]) << false << QByteArray(step) << faults[f];
        }
    }

    void failures()
    {
        QFETCH(bool, send);
        QFETCH(QByteArray, command);
        QFETCH(sim::FaultKind, fault);
        RecordingPrompt prompt;
        if (!m_rig) // one simulator for all the rows: starting one costs more than a row
            m_rig = std::make_unique<TransferRig>();
        TransferRig &rig = *m_rig;
        const TagProtocol protocol = send ? TagProtocol::Modbus : TagProtocol::Hostlink;
        rig.gateway(protocol).clearFaults();
        rig.gateway(protocol).update([](sim::GatewayState &s) { s.tags = {sim::tagKeys(sim::Hostlink, {"T"})};
            s.live = {sim::TagLive()};
        });
        rig.gateway(protocol).setFault(command, {fault, 0});
        TfrmTransferModbusConfig modbus(rig.channel);
        modbus.OrvanConfig().TagCount = 1;
        modbus.OrvanConfig().Tags[0].TagName = "T";
        TfrmTransferHostlinkConfig hostlink(rig.channel);
        TfrmTransferConfig &dialog = send ? static_cast<TfrmTransferConfig &>(modbus) : hostlink;
        dialog.SetDirection(send ? Direction::Send : Direction::Get);
        dialog.SetDevice(rig.relayed(protocol));
        dialog.show();
        QTRY_VERIFY_WITH_TIMEOUT(button(&dialog, "btnRetry")->isEnabled(), 10000);

        QList<QByteArray> requests = rig.requests();
        const qsizetype failed = std::find_if(requests.begin(), requests.end(),
                                              [&](const QByteArray &r) { return r.startsWith(command + "("); })
                                 - requests.begin();
        QCOMPARE(requests.size(), failed + 1); // nothing after the failing request
        const bool noReply = fault == sim::FaultKind::HttpError || fault == sim::FaultKind::Drop;
        const QStringList messages = noReply ? QStringList{NoResponse, TfrmTransferConfig::FailureMessage}
                                             : QStringList{TfrmTransferConfig::FailureMessage};
        QCOMPARE(prompt.texts("error"), messages);
        QVERIFY(button(&dialog, "btnCancel")->isEnabled());
        QVERIFY(!dialog.Completed());

        rig.gateway(protocol).clearFaults();
        button(&dialog, "btnRetry")->click();
        QVERIFY(dialog.Completed());
        requests = rig.requests().mid(failed + 1);
        QCOMPARE(requests.constFirst(), send ? QByteArray("STOP();") : QByteArray("GETTAGCOUNT();"));
        QCOMPARE(requests.constLast(), send ? QByteArray("RESET();") : QByteArray("RUN();"));
        QCOMPARE(prompt.log.size(), noReply ? 2 : 1);
    }

    // The dialog's record starts as a new document's and is never reset: a BAUD that maps
    // to no rate keeps the rate of the record, first 9600, later the last one read.
    void unmappedBaudKeepsTheRecordsRate()
    {
        RecordingPrompt prompt;
        TransferRig rig;
        TfrmTransferModbusConfig dialog(rig.channel);
        QCOMPARE(dialog.OrvanConfig().BaudRate, quint8(2));
        const auto getWithBaud = [&](const QByteArray &baud) {
            rig.gateway(TagProtocol::Modbus).update([&](sim::GatewayState &s) { sim::GatewayState::setKeyValue(s.com, "BAUD", baud); });
            closeWhenDone(dialog);
            return dialog.Execute(Direction::Get, rig.device(TagProtocol::Modbus));
        };
        QVERIFY(getWithBaud("1200"));
        QCOMPARE(dialog.OrvanConfig().BaudRate, quint8(2)); // 9600
        QVERIFY(getWithBaud("19200"));
        QCOMPARE(dialog.OrvanConfig().BaudRate, quint8(4));
        QVERIFY(getWithBaud("1200"));
        QCOMPARE(dialog.OrvanConfig().BaudRate, quint8(4)); // 19200 kept
        QVERIFY(prompt.log.isEmpty());
    }
};

KOVA_TEST(TestTransferDialog)
#include "tst_transfer_dialog.moc"
