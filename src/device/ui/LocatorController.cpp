#include "device/ui/LocatorController.h"

#include "base/Prompt.h"
#include "base/ui/InfoMessage.h"
#include "base/DscPkt.h"
#include "device/ui/DeviceList.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

TLocatorController::TLocatorController(TDeviceListView *list, TInfoMessage *info, quint16 port,
                                       const QHostAddress &broadcast, QObject *parent)
    : QObject(parent), m_list(list), m_info(info), m_locator(port, broadcast, this), m_timer(this)
{
    m_timer.setObjectName(QStringLiteral("tmrUDPResponse"));
    connect(&m_timer, &QTimer::timeout, this, &TLocatorController::tmrUDPResponseTimer);
    connect(&m_locator, &TDeviceLocator::datagramReceived, this, &TLocatorController::IdUDPServerUDPRead);
}

TLocatorController::~TLocatorController() = default;

void TLocatorController::reset()
{
    m_timer.stop();
    m_state.Reset();
}

void TLocatorController::DevicesSearchLocalExecute()
{
    if (m_waiting)
        return;
    if (m_list)
        m_list->RemoveLocalRows();
    SendUDPPacket(NewList("HELLO"));
    SetDeviceLocatorAction(TLocatorState::Search);
}

bool TLocatorController::SendUDPPacket(const QByteArray &text)
{
    if (m_locator.SendUDPPacket(text))
        return true;
    // Lacking the privilege for the port is no conflict: say what to do about it instead.
    if (m_locator.lastFailure() == LocatorFailure::NoPermission) {
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        Prompt::instance().error(LocatorText::noPermission(m_locator.port(), program));
    } else {
        Prompt::instance().error(QString::fromLatin1(LocatorText::Conflict));
    }
    return false;
}

void TLocatorController::SetDeviceLocatorAction(int action, const QByteArray &mac)
{
    if (m_waiting || (action != TLocatorState::Search && action != TLocatorState::Config))
        return;
    m_waiting = true;
    m_state.Start(quint8(action), mac);
    m_timer.setInterval(TLocatorState::waitMs(quint8(action)));
    m_timer.start();

    // The wait runs in its own loop, so it lasts exactly until the timer ends it even if
    // the window is closed early; arriving datagrams are handled meanwhile.
    QEventLoop loop;
    connect(this, &TLocatorController::waitFinished, &loop, &QEventLoop::quit);
    if (m_info) {
        m_info->setText(QString::fromLatin1(action == TLocatorState::Search ? LocatorText::Searching
                                                                           : LocatorText::Setting));
        m_info->show();
    }
    if (m_waiting)
        loop.exec();
}

void TLocatorController::IdUDPServerUDPRead(const QByteArray &datagram)
{
    if (const std::optional<TDeviceData> device = m_state.HandleDatagram(datagram)) {
        if (m_list)
            m_list->AddDeviceToList(*device);
    }
}

void TLocatorController::tmrUDPResponseTimer()
{
    m_timer.stop();
    // Answers that reached the machine before the timer count, even if the user-interface
    // thread had not got to them yet.
    m_locator.deliverPending();
    if (m_info)
        m_info->done(QDialog::Accepted);
    const int action = m_state.LocatorAction();
    const TLocatorState::Verdict verdict = m_state.Finish();
    if (verdict == TLocatorState::Verdict::Configured)
        Prompt::instance().information(QString::fromLatin1(LocatorText::Configured));
    else if (verdict == TLocatorState::Verdict::Failed)
        Prompt::instance().error(QString::fromLatin1(LocatorText::ConfigFailed));
    m_waiting = false;
    emit waitFinished(action);
}
