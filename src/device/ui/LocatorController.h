#pragma once

#include "base/ui/InfoMessage.h"
#include "device/Locator.h"
#include "device/ui/DeviceList.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>

// The main window's locator: the local search, the wait for a CONFIG answer, and the
// datagram and timer handlers that feed the device list. Owns the UDP locator and the
// answer timer; the list and the "Information" window belong to the main window.
class TLocatorController : public QObject
{
    Q_OBJECT

public:
    explicit TLocatorController(TDeviceListView *list, TInfoMessage *info = nullptr,
                                quint16 port = TDeviceLocator::DefaultPort,
                                const QHostAddress &broadcast = QHostAddress(QStringLiteral("255.255.255.255")),
                                QObject *parent = nullptr);
    ~TLocatorController() override;

    // The main window creates InfoMessage when first shown, possibly after this object.
    void setInfoMessage(TInfoMessage *info) { m_info = info; }
    void SetUpSockets() { m_locator.SetUpSockets(); }
    // Back to idle, as when the main window is first shown.
    void reset();

    // Search Local Devices: drops the local rows, broadcasts HELLO and collects answers.
    void DevicesSearchLocalExecute();
    // Broadcasts the text; when it cannot be sent, says why: another program holds the
    // port, or this one lacks the permission for it.
    bool SendUDPPacket(const QByteArray &text);
    // Runs one wait (1 search, 2 CONFIG answer for the MAC), showing InfoMessage modally
    // until tmrUDPResponse ends it. A wait already running refuses a second one.
    void SetDeviceLocatorAction(int action, const QByteArray &mac = {});
    // One received datagram.
    void IdUDPServerUDPRead(const QByteArray &datagram);
    // Ends the wait: every datagram received so far is handled first, later ones are ignored.
    void tmrUDPResponseTimer();

    quint8 LocatorAction() const { return m_state.LocatorAction(); }
    const TLocatorState &state() const { return m_state; }
    bool waiting() const { return m_waiting; }
    TDeviceLocator &locator() { return m_locator; }
    QTimer &tmrUDPResponse() { return m_timer; }

signals:
    // A wait has ended (after its verdict message, for a CONFIG wait).
    void waitFinished(int action);

private:
    QPointer<TDeviceListView> m_list;
    QPointer<TInfoMessage> m_info;
    TDeviceLocator m_locator;
    TLocatorState m_state;
    QTimer m_timer;
    bool m_waiting = false;
};
