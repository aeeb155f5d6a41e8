#include "SimClient.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/StreamCopier.h>

#include <sstream>

namespace simtest {

HttpResult post(const QByteArray &ip, quint16 port, const QByteArray &script, const QByteArray &body, int timeoutMs)
{
    HttpResult result;
    try {
        Poco::Net::HTTPClientSession session(ip.toStdString(), port);
        session.setTimeout(Poco::Timespan(0, timeoutMs * 1000));
        Poco::Net::HTTPRequest request(Poco::Net::HTTPRequest::HTTP_POST, "/" + script.toStdString(),
                                       Poco::Net::HTTPMessage::HTTP_1_0);
        request.setContentType("text/x-zpack");
        request.setContentLength(body.size());
        session.sendRequest(request).write(body.constData(), body.size());
        Poco::Net::HTTPResponse response;
        std::istream &in = session.receiveResponse(response);
        std::ostringstream out;
        Poco::StreamCopier::copyStream(in, out);
        result.ok = true;
        result.status = response.getStatus();
        result.body = QByteArray::fromStdString(out.str());
        result.version = QByteArray::fromStdString(response.getVersion());
        result.contentType = QByteArray::fromStdString(response.getContentType());
    } catch (const Poco::Exception &e) {
        result.error = QString::fromStdString(e.displayText());
    }
    return result;
}

sim::GatewayState modbusGateway()
{
    sim::GatewayState s;
    s.model = "1119";
    s.version = "2.1.0-TS";
    s.mac = "00:1D:7A:00:00:01";
    s.ip = "127.0.0.2";
    s.hostName = "mb";
    s.adminPassword = "secret";
    s.recipients = {"a@example.com", "b@example.com", "", "", ""};
    s.liveMotion = false;
    return s;
}

sim::GatewayState hostlinkGateway()
{
    sim::GatewayState s = modbusGateway();
    s.model = "1110";
    s.mac = "00:1D:7A:00:00:02";
    s.ip = "127.0.0.3";
    s.hostName = "hl";
    return s;
}

sim::GatewayState df1Gateway()
{
    sim::GatewayState s = modbusGateway();
    s.model = "1117";
    s.mac = "00:1D:7A:00:00:03";
    s.ip = "127.0.0.4";
    s.hostName.clear();
    return s;
}

std::unique_ptr<sim::Simulator> startSimulator()
{
    sim::Simulator::Options options;
    options.serveFtp = false;
    auto simulator = std::make_unique<sim::Simulator>(options);
    simulator->addGateway(modbusGateway());
    simulator->addGateway(hostlinkGateway());
    simulator->addGateway(df1Gateway());
    simulator->start();
    return simulator;
}

} // namespace simtest
