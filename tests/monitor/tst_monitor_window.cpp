#include "TestRegistry.h"

#include "FileSizeLimit.h"
#include "MonitorGateway.h"
#include "RecordingPrompt.h"

#include "LiveValues.h"
#include "app/ui/Main.h"
#include "device/ui/DeviceList.h"
#include "device/ui/Password.h"
#include "monitor/ui/GetTagConfig.h"
#include "monitor/ui/HistoryChart.h"
#include "monitor/ui/Monitor.h"
#include "monitor/ui/WriteValue.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

// Runs action once condition holds, polling from whatever event loop runs (a modal dialog's
// too); gives up after ten seconds.
void whenReady(QObject *context, std::function<bool()> condition, std::function<void()> action)
{
    auto *timer = new QTimer(context);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, context, [=] {
        const bool ready = condition();
        if (!ready && clock->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        if (ready)
            action();
    });
    timer->start();
}

template<typename T>
T *child(QObject *parent, const char *name)
{
    T *widget = parent->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QString text(QObject *parent, const char *name)
{
    return child<QLabel>(parent, name)->text();
}

const QColor Lime(0, 255, 0);
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);

} // namespace

// The monitor window against the simulated gateway. Ticks are driven directly (the timer's
// interval is set out of reach) except where the timer itself is under test.
class TestMonitorWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openFromTheMainWindow();
    void downloadOutcomes_data();
    void downloadOutcomes();
    void playPauseStop();
    void writeAndAcknowledge();
    void writeRefusedShowsTheReason();
    void writeDialogByKind_data();
    void writeDialogByKind();
    void clicksDuringATick();
    void theScanTimer();
    void recordToFile();

private:
    void startGateway(sim::GatewayState state);
    // Shows the monitor and waits for its list (closing the download dialog when it stays).
    void openMonitor(int rows);
    void play(int row);
    void tick(int count = 1);
    QColor pointColour(int index) const;
    QPushButton *button(const char *name) const { return child<QPushButton>(m_monitor.get(), name); }
    QTreeWidget *list() const { return child<QTreeWidget>(m_monitor.get(), "lstTags"); }
    THistoryChart *chart() const { return child<THistoryChart>(m_monitor.get(), "HistoryChart"); }
    TDeviceData device() const;

    std::unique_ptr<RecordingPrompt> m_prompt;
    std::unique_ptr<sim::Simulator> m_sim;
    std::unique_ptr<TfrmMonitor> m_monitor;
};

void TestMonitorWindow::init()
{
    QLocale::setDefault(QLocale::c());
    m_prompt = std::make_unique<RecordingPrompt>();
    m_monitor = std::make_unique<TfrmMonitor>();
    QCOMPARE(m_monitor->TimerScan()->interval(), 1000);
    m_monitor->TimerScan()->setInterval(3'600'000);
    startGateway(monitortest::gateway());
}

void TestMonitorWindow::cleanup()
{
    m_monitor.reset();
    m_sim.reset();
    m_prompt.reset();
}

void TestMonitorWindow::startGateway(sim::GatewayState state)
{
    m_sim.reset();
    m_sim = monitortest::start(std::move(state));
    m_monitor->SetHttpEndpoint(m_sim->httpPort(), 3000);
    m_monitor->SetDevice(device());
}

TDeviceData TestMonitorWindow::device() const
{
    TDeviceData d;
    d.DeviceName = "Orvan-MB-C";
    d.HostName = "line-3";
    d.MAC = "00:1D:7A:00:00:09";
    d.Version = "2.1.0-TS";
    d.IPAddress = "127.0.0.2";
    return d;
}

void TestMonitorWindow::openMonitor(int rows)
{
    TfrmGetTagConfig *download = m_monitor->frmGetTagConfig();
    whenReady(
        download, [=] { return download->isVisible() && text(download, "lblStatus") == QLatin1String("Done."); },
        [=] { child<QPushButton>(download, "btnStop")->click(); });
    QSignalSpy finished(download, &QDialog::finished);
    m_monitor->show();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(list()->topLevelItemCount(), rows);
}

void TestMonitorWindow::play(int row)
{
    QTreeWidgetItem *item = list()->topLevelItem(row);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    QVERIFY(button("btnPlay")->isEnabled());
    button("btnPlay")->click();
}

void TestMonitorWindow::tick(int count)
{
    for (int i = 0; i < count; ++i)
        m_monitor->TimerScanTimer();
}

QColor TestMonitorWindow::pointColour(int index) const
{
    return chart()->Series()->pointConfiguration(index).value(QXYSeries::PointConfiguration::Color).value<QColor>();
}

void TestMonitorWindow::openFromTheMainWindow()
{
    TMainForm::Endpoints endpoints;
    endpoints.httpPort = m_sim->httpPort();
    endpoints.udpPort = 0;
    endpoints.broadcast = "127.0.0.1";
    TMainForm form(endpoints);
    form.CreateDialogs();
    form.show();
    form.DeviceList()->AddDeviceToList(device());
    form.DeviceList()->selectRow(0);
    form.ApplicationUpdate();
    whenReady(&form, [&] { return form.frmPassword()->isVisible(); }, [&] {
        child<QLineEdit>(form.frmPassword(), "txtPassword")->setText(QStringLiteral("secret"));
        child<QPushButton>(form.frmPassword(), "btnOk")->click();
    });
    form.action(QStringLiteral("DevicesConnect"))->trigger();
    QVERIFY2(form.Connected(), qPrintable(m_prompt->texts().join('|')));

    TfrmMonitor *monitor = form.frmMonitor();
    QVERIFY(monitor);
    TfrmGetTagConfig *download = monitor->frmGetTagConfig();
    QStringList seen;
    whenReady(
        download, [=] { return download->isVisible() && text(download, "lblStatus") == QLatin1String("Done."); },
        [&] {
            seen << download->windowTitle();
            QCOMPARE(child<QProgressBar>(download, "Progress")->value(), 5);
            child<QPushButton>(download, "btnStop")->click();
        });
    auto *tags = child<QTreeWidget>(monitor, "lstTags");
    whenReady(monitor, [=] { return monitor->isVisible() && !download->isVisible() && tags->topLevelItemCount() == 5; },
              [&] {
                  seen << monitor->windowTitle();
                  for (const char *name : {"stDevice", "stHostname", "stMAC", "stVersion", "stMonitorStatus"})
                      seen << text(monitor, name);
                  for (int i = 0; i < tags->topLevelItemCount(); ++i)
                      seen << tags->topLevelItem(i)->text(0) + "/" + tags->topLevelItem(i)->text(1);
                  child<QPushButton>(monitor, "btnStop")->click(); // "Close"
              });
    form.action(QStringLiteral("ToolsTagMonitor"))->trigger();
    QVERIFY(!monitor->isVisible());
    QCOMPARE(seen, (QStringList{"Getting Tags", "Tag Monitor", "Orvan-MB-C", "line-3", "00:1D:7A:00:00:09",
                                "2.1.0-TS", "Stopped", "LEVEL/Integer", "PUMP/Digital", "TEMP/Float",
                                "SETPOINT/Integer", "COUNT/Integer"}));
}

void TestMonitorWindow::downloadOutcomes_data()
{
    QTest::addColumn<int>("extraTags");
    QTest::addColumn<int>("stopAt");      // click Stop once this many tags are in; 0: never
    QTest::addColumn<int>("removeAt");    // the gateway loses its tags after this many; -1: never
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("stopped after 3 of 10") << 5 << 3 << -1 << 3 << QStringList{};
    QTest::newRow("failed after 2") << 0 << 0 << 2 << 2 << QStringList{"Error while obtaining Tags."};
    QTest::newRow("no tags") << 0 << 0 << 0 << 0 << QStringList{"No Configured Tags in connected Orvan."};
}

void TestMonitorWindow::downloadOutcomes()
{
    QFETCH(int, extraTags);
    QFETCH(int, stopAt);
    QFETCH(int, removeAt);
    QFETCH(int, rows);
    QFETCH(QStringList, errors);
    startGateway(monitortest::gateway(extraTags));
    sim::Gateway &gateway = m_sim->gateway(0);
    auto removeTags = [&] { gateway.update([](sim::GatewayState &s) { s.tags.clear(); }); };
    if (removeAt == 0)
        removeTags();
    TfrmGetTagConfig *download = m_monitor->frmGetTagConfig();
    QStringList statuses;
    connect(download, &TfrmGetTagConfig::TagFetched, this, [&](int number, int count) {
        statuses << text(download, "lblStatus");
        QCOMPARE(child<QPushButton>(download, "btnStop")->text(), QStringLiteral("Stop"));
        QCOMPARE(child<QProgressBar>(download, "Progress")->maximum(), count);
        if (number == stopAt)
            child<QPushButton>(download, "btnStop")->click();
        if (number == removeAt)
            removeTags();
    });
    QSignalSpy finished(download, &QDialog::finished);
    m_monitor->show();
    QTRY_COMPARE(finished.count(), 1); // each of these ends the dialog by itself
    QCOMPARE(list()->topLevelItemCount(), rows);
    QCOMPARE(m_prompt->texts(QStringLiteral("error")), errors);
    if (stopAt > 0) {
        QCOMPARE(statuses.constFirst(), QStringLiteral("Getting Tag 1 of 10: LEVEL"));
        QCOMPARE(text(download, "lblStatus"), QStringLiteral("Download Stopped by user."));
        QCOMPARE(download->result(), int(QDialog::Accepted));
    }
    QCOMPARE(child<QPushButton>(download, "btnStop")->text(), QStringLiteral("Close"));
    // Nothing to select leaves Play off; the window can only be closed.
    if (rows == 0) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton);
        QVERIFY(!button("btnPlay")->isEnabled());
    }
    button("btnStop")->click();
    QVERIFY(!m_monitor->isVisible());
}

void TestMonitorWindow::playPauseStop()
{
    openMonitor(5);
    auto enabled = [&] {
        QString states;
        for (const char *name : {"btnPlay", "btnPause", "btnStop", "btnWrite", "btnAck"})
            states += button(name)->isEnabled() ? '1' : '0';
        return states + (list()->isEnabled() ? "L " : "- ") + button("btnStop")->text();
    };
    QCOMPARE(enabled(), QStringLiteral("00100L Close"));
    QCOMPARE(text(m_monitor.get(), "stSendingTo"), QStringLiteral("-"));
    QCOMPARE(chart()->chart()->title(), QStringLiteral("Value vs. Time (seconds)"));
    QCOMPARE(chart()->Series()->name(), QStringLiteral("Value"));

    play(0);
    QCOMPARE(enabled(), QStringLiteral("01111- Stop"));
    QCOMPARE(text(m_monitor.get(), "stMonitorStatus"), QStringLiteral("Running - Tag: LEVEL"));
    QVERIFY(m_monitor->TimerScan()->isActive());
    QCOMPARE(chart()->Series()->count(), 25);
    tick(3);
    QCOMPARE(text(m_monitor.get(), "stValue"), QStringLiteral("500"));
    QCOMPARE(text(m_monitor.get(), "stStatus"), QStringLiteral("Idle - OK"));
    QCOMPARE(text(m_monitor.get(), "stAlarm"), QStringLiteral("No"));
    QCOMPARE(text(m_monitor.get(), "stQueuedAlarms"), QStringLiteral("0/128"));
    QCOMPARE(text(m_monitor.get(), "stMailboxStatus"), QStringLiteral("Mailbox Disabled"));
    QCOMPARE(text(m_monitor.get(), "stLastError"), QStringLiteral("Ok"));
    QCOMPARE(chart()->Series()->at(24), QPointF(27, 500));
    QCOMPARE(chart()->Series()->at(21), QPointF(24, 0));
    QCOMPARE(pointColour(24), Lime);

    button("btnPause")->click();
    QCOMPARE(enabled(), QStringLiteral("10100- Stop"));
    QCOMPARE(text(m_monitor.get(), "stMonitorStatus"), QStringLiteral("PAUSED - Tag: LEVEL"));
    QVERIFY(!m_monitor->TimerScan()->isActive());
    QVERIFY(!m_monitor->close());
    QCOMPARE(m_prompt->texts(QStringLiteral("information")), QStringList{"Stop Monitoring before closing this window."});
    QVERIFY(m_monitor->isVisible());

    button("btnPlay")->click(); // resumes on the same graph
    tick();
    QCOMPARE(chart()->Series()->at(24), QPointF(28, 500));
    QCOMPARE(chart()->Series()->at(20), QPointF(24, 0));

    button("btnStop")->click();
    QCOMPARE(enabled(), QStringLiteral("10100L Close"));
    QCOMPARE(text(m_monitor.get(), "stMonitorStatus"), QStringLiteral("Stopped"));
    QVERIFY(!m_monitor->TimerScan()->isActive());
    button("btnPlay")->click(); // restarts the graph
    QCOMPARE(m_monitor->History().PointCounter(), 25);
    QCOMPARE(chart()->Series()->at(24), QPointF(24, 0));
    QCOMPARE(m_monitor->Scan().Phase(), 1); // the cycle went on where it was
    button("btnStop")->click();
    button("btnStop")->click();
    QVERIFY(!m_monitor->isVisible());
    QCOMPARE(m_prompt->log.size(), 1);
}

// A value written below the alarm band raises the alarm; the acknowledge turns it blue; a
// write back inside the band ends it. The write and the acknowledge go out in phase 2.
void TestMonitorWindow::writeAndAcknowledge()
{
    openMonitor(5);
    play(0);
    auto *alarm = child<QLabel>(m_monitor.get(), "stAlarm");
    const QColor normalText = alarm->palette().color(QPalette::WindowText);
    TfrmWriteValue *dialog = m_monitor->frmWriteValue();
    auto writeValue = [&](const QString &value) {
        whenReady(dialog, [=] { return dialog->isVisible(); }, [=] {
            child<QLineEdit>(dialog, "txtValue")->setText(value);
            child<QPushButton>(dialog, "btnOk")->click();
        });
        button("btnWrite")->click();
    };
    writeValue(QStringLiteral("50"));
    QVERIFY(m_monitor->Scan().WritePending());
    QCOMPARE(child<QLineEdit>(dialog, "txtValue")->text(), QStringLiteral("50"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Write new Value"));
    QCOMPARE(child<QGroupBox>(dialog, "grpWriteValue")->title(), QStringLiteral("LEVEL"));
    tick(3); // READ, MAILBOX, WRITE
    QCOMPARE(m_sim->gateway(0).snapshot().live[0].value, 50.0);
    tick();
    QCOMPARE(alarm->text(), QStringLiteral("IN ALARM"));
    QCOMPARE(alarm->palette().color(QPalette::WindowText), Red);
    QCOMPARE(pointColour(24), Red);
    QCOMPARE(chart()->Series()->at(24).y(), 50.0);

    button("btnAck")->click();
    tick(3); // MAILBOX, ALARMACK, READ
    QCOMPARE(alarm->text(), QStringLiteral("Acknowledged"));
    QCOMPARE(alarm->palette().color(QPalette::WindowText), Blue);
    QCOMPARE(pointColour(24), Blue);
    QCOMPARE(pointColour(22), Red);

    writeValue(QStringLiteral("300"));
    tick(3); // MAILBOX, WRITE, READ
    QCOMPARE(alarm->text(), QStringLiteral("No"));
    QCOMPARE(alarm->palette().color(QPalette::WindowText), normalText);
    QCOMPARE(pointColour(24), Lime);
    QVERIFY(m_prompt->log.isEmpty());
}

void TestMonitorWindow::writeRefusedShowsTheReason()
{
    openMonitor(5);
    play(3); // SETPOINT, read only
    TfrmWriteValue *dialog = m_monitor->frmWriteValue();
    int shown = 0;
    whenReady(dialog, [=] { return dialog->isVisible(); }, [&] {
        ++shown;
        QCOMPARE(child<QLineEdit>(dialog, "txtValue")->text(), QStringLiteral("0")); // nothing read yet
        child<QLineEdit>(dialog, "txtValue")->setText(QStringLiteral("7"));
        child<QPushButton>(dialog, "btnOk")->click();
    });
    button("btnWrite")->click();
    // A second write while the first waits opens nothing (the dialog would be answered).
    whenReady(dialog, [=] { return dialog->isVisible(); }, [&] {
        ++shown;
        dialog->reject();
    });
    button("btnWrite")->click();
    QTest::qWait(50);
    QCOMPARE(shown, 1);
    tick(3);
    QCOMPARE(m_prompt->texts(QStringLiteral("error")), QStringList{"Tag Write Error.\r\nReason: Tag is Read Only"});
    QVERIFY(!m_monitor->Scan().WritePending());
}

void TestMonitorWindow::writeDialogByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("prefill");   // the edit's text, or "ON"/"OFF"
    QTest::addColumn<QString>("typed");     // empty: the prefill stays
    QTest::addColumn<QString>("edited");    // what the key filter lets through
    QTest::addColumn<QString>("error");     // empty: OK closes the dialog
    QTest::newRow("digital on") << 0 << "1" << "ON" << "" << "" << "";
    QTest::newRow("digital, nothing read") << 0 << "" << "OFF" << "" << "" << "";
    QTest::newRow("integer, nothing read") << 1 << "" << "0" << "-1x2.5" << "-125" << "";
    QTest::newRow("integer, twelve characters") << 1 << "7" << "7" << "12345678901234" << "123456789012"
                                                << "'123456789012' is not a valid integer value";
    QTest::newRow("real") << 2 << "0.5" << "0.5" << "-2a.5e" << "-2.5" << "";
    QTest::newRow("real, longer than twelve") << 2 << "1.23456789012346e+20" << "1.23456789012346e+20" << ""
                                              << "1.23456789012346e+20" << "";
    QTest::newRow("real, comma in the C locale") << 2 << "" << "0" << "1,5" << "1,5"
                                                 << "'1,5' is not a valid floating point value";
}

void TestMonitorWindow::writeDialogByKind()
{
    QFETCH(int, kind);
    QFETCH(QString, shown);
    QFETCH(QString, prefill);
    QFETCH(QString, typed);
    QFETCH(QString, edited);
    QFETCH(QString, error);
    TfrmWriteValue dialog;
    dialog.Prepare(QStringLiteral("TAG"), quint8(kind), shown);
    dialog.show();
    auto *edit = child<QLineEdit>(&dialog, "txtValue");
    auto *on = child<QRadioButton>(&dialog, "rdoOn");
    QCOMPARE(edit->isVisible(), kind != 0);
    QCOMPARE(on->isVisible(), kind == 0);
    if (kind == 0) {
        QCOMPARE(on->isChecked() ? QStringLiteral("ON") : QStringLiteral("OFF"), prefill);
        QTest::mouseClick(on, Qt::LeftButton);
    } else {
        QCOMPARE(edit->text(), prefill);
        if (!typed.isEmpty()) {
            edit->clear();
            QTest::keyClicks(edit, typed);
        }
        QCOMPARE(edit->text(), edited);
    }
    child<QPushButton>(&dialog, "btnOk")->click();
    QCOMPARE(dialog.isVisible(), !error.isEmpty());
    QCOMPARE(m_prompt->texts(QStringLiteral("error")), error.isEmpty() ? QStringList() : QStringList{error});
    if (error.isEmpty())
        QCOMPARE(kind == 0 ? double(dialog.Value().BoolValue) : kind == 1 ? dialog.Value().IntValue : dialog.Value().RealValue,
                 kind == 0 ? 1.0 : edited.toDouble());
}

// Pause, Play, a second tick and Close arrive while a READ waits for its reply: the tick is not
// entered twice, and the window closes once the reply is in.
void TestMonitorWindow::clicksDuringATick()
{
    openMonitor(5);
    play(0);
    m_sim->gateway(0).setFault("READ", {sim::FaultKind::Delay, 1000}); // room for the clicks under load
    QTimer::singleShot(50, this, [&] { button("btnPause")->click(); });
    QTimer::singleShot(100, this, [&] {
        button("btnPlay")->click();
        QVERIFY(!m_monitor->TimerScan()->isActive()); // the tick under way restarts it
        m_monitor->TimerScanTimer();
        QCOMPARE(m_monitor->Scan().Phase(), 1);
    });
    QTimer::singleShot(150, this, [&] { button("btnStop")->click(); });
    QTimer::singleShot(200, this, [&] {
        button("btnStop")->click(); // "Close": waits for the reply
        QVERIFY(m_monitor->isVisible());
    });
    QElapsedTimer clock;
    clock.start();
    m_monitor->TimerScanTimer();
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(m_monitor->Scan().Phase(), 1);
    QCOMPARE(text(m_monitor.get(), "stValue"), QStringLiteral("500"));
    QVERIFY(!m_monitor->isVisible());
    QVERIFY(!m_monitor->TimerScan()->isActive());
    QVERIFY(m_prompt->log.isEmpty());
}

// The real timer: one tick a second, off while a tick runs, on again after it.
void TestMonitorWindow::theScanTimer()
{
    m_monitor->TimerScan()->setInterval(1000);
    openMonitor(5);
    QList<bool> activeDuringTick;
    connect(m_monitor.get(), &TfrmMonitor::Ticked, this,
            [&](const TScanTick &) { activeDuringTick << m_monitor->TimerScan()->isActive(); });
    play(1); // PUMP, digital
    QCOMPARE(m_monitor->History().VerticalRange(), std::make_pair(-0.5, 1.5));
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->History().PointCounter(), 27, 5000);
    QCOMPARE(activeDuringTick, (QList<bool>{false, false}));
    QVERIFY(m_monitor->TimerScan()->isActive());
    QCOMPARE(text(m_monitor.get(), "stMailboxStatus"), QStringLiteral("Mailbox Disabled"));
    button("btnStop")->click();
    QVERIFY(!m_monitor->TimerScan()->isActive());
}

// A recording from the window: a cancelled picker and a file that cannot be opened change
// nothing; rows come from the value reads only, across a failed read and a change of tag; a
// full disk ends the recording and the monitoring goes on; closing the window ends it too.
void TestMonitorWindow::recordToFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("level.csv"));
    openMonitor(5);
    auto *record = child<QCheckBox>(m_monitor.get(), "chkRecord");
    auto *shown = child<QLineEdit>(m_monitor.get(), "stRecordFile");
    QCOMPARE(record->text(), QStringLiteral("Record to File..."));
    record->click(); // no answer queued: the picker is cancelled
    QVERIFY(!record->isChecked());
    QCOMPARE(m_prompt->fileRequests.size(), 1);
    const Prompt::FileRequest request = m_prompt->fileRequests.constFirst();
    QCOMPARE(request.title, QStringLiteral("Record to File"));
    QCOMPARE(request.filter, QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("csv"));
    QVERIFY(request.confirmOverwrite);
    m_prompt->saveAnswers.enqueue(dir.filePath(QStringLiteral("none/level.csv")));
    record->click();
    QVERIFY(!record->isChecked());
    QCOMPARE(m_prompt->texts(QStringLiteral("error")),
             QStringList{"Cannot record to file \"" + dir.filePath(QStringLiteral("none/level.csv"))
                         + "\".\r\nReason: No such file or directory"});
    m_prompt->clear();

    m_prompt->saveAnswers.enqueue(path);
    record->click();
    QVERIFY(record->isChecked());
    QCOMPARE(shown->text(), path);
    const QDateTime begin = QDateTime::currentDateTime().addSecs(-1);
    play(0); // LEVEL
    tick(4); // READ, MAILBOX, commands, READ
    m_sim->gateway(0).setFault("READ", {sim::FaultKind::Drop, 0});
    tick(3);
    m_sim->gateway(0).clearFaults();
    button("btnStop")->click();
    play(1); // PUMP: the cycle goes on at its phase 1
    tick(3);
    record->click();
    QVERIFY(!record->isChecked());
    QVERIFY(shown->text().isEmpty());
    tick(3);
    const QDateTime end = QDateTime::currentDateTime().addSecs(1);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QStringList rows;
    static const QRegularExpression stamped(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(?:Z|[+-]\\d\\d:\\d\\d)),(.*)\r$"));
    for (const QByteArray &line : lines.mid(1, lines.size() - 2)) {
        const QRegularExpressionMatch match = stamped.match(QString::fromUtf8(line));
        QVERIFY2(match.hasMatch(), line.constData());
        const QDateTime time = QDateTime::fromString(match.captured(1), Qt::ISODate);
        QVERIFY2(time >= begin && time <= end, line.constData());
        rows << match.captured(2);
    }
    QCOMPARE(lines.constFirst(), QByteArray("Time,Tag,Value,Status,Alarm\r"));
    QCOMPARE(lines.constLast(), QByteArray());
    QCOMPARE(rows, (QStringList{"LEVEL,500,Idle - OK,No", "LEVEL,500,Idle - OK,No", "LEVEL,,No valid reply,",
                                "PUMP,1,Idle - OK,No"}));

    // Again into the same file, which is replaced; the disk fills at the first row.
    m_prompt->saveAnswers.enqueue(path);
    record->click();
    QVERIFY(record->isChecked());
    while (m_monitor->Scan().Phase() != 0)
        tick();
    m_sim->gateway(0).update([](sim::GatewayState &s) {
        s.live[1].value = 0; // held, as a WRITE would: the next READ shows it
        s.live[1].held = true;
    });
    {
        FileSizeLimit full(40);
        tick(); // READ
    }
    QCOMPARE(m_prompt->texts(QStringLiteral("error")),
             QStringList{"Recording to file \"" + path + "\" stopped.\r\nReason: File too large"});
    QVERIFY(!record->isChecked());
    QVERIFY(shown->text().isEmpty());
    QCOMPARE(text(m_monitor.get(), "stValue"), QStringLiteral("0"));
    QVERIFY(m_monitor->TimerScan()->isActive());
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Time,Tag,Value,Status,Alarm\r\n"));

    m_prompt->saveAnswers.enqueue(path);
    record->click();
    QVERIFY(m_monitor->Log().IsOpen());
    button("btnStop")->click();
    button("btnStop")->click(); // "Close"
    QVERIFY(!m_monitor->isVisible());
    QVERIFY(!m_monitor->Log().IsOpen());
    QVERIFY(!record->isChecked());
}

KOVA_TEST(TestMonitorWindow)
#include "tst_monitor_window.moc"
