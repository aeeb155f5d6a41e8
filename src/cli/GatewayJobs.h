#pragma once

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "config/KovaTypes.h"

#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

class THttpChannel;

// Runs job(host) for every host, `jobs` at a time, each job on a thread of its own with
// its own channel, so one slow gateway holds up no other. Results come in the order of
// the hosts, whatever order the jobs end in; each is reported to progress as it ends.
std::vector<GatewayResult> RunJobs(const QList<QByteArray> &hosts, int jobs, Progress &progress,
                                   const std::function<GatewayResult(const QByteArray &host)> &job);

// What the window does before any transfer: find the gateway by its host (GETDEVICE,
// GETNET, as the remote search) and log in with the administrator password (GETADMIN).
// False with result.step and result.reason set; result.device holds what was learnt.
bool ReachGateway(THttpChannel &channel, const QByteArray &host, const QByteArray &password, GatewayResult &result,
                  TDeviceData &connected, Progress &progress);

// "No Response from Device. Check the connection and try again. (why)".
QString NoResponseReason(const THttpChannel &channel);

// --- configurations ------------------------------------------------------------------------

using AnyConfig = std::variant<TModbusOrvanConfig, THostlinkOrvanConfig, TDF1OrvanConfig>;

struct ConfigToSend
{
    TagProtocol protocol = TagProtocol::Modbus;
    std::shared_ptr<const AnyConfig> record;
    int tags = 0;
};

// Opens a configuration file as a document opens it (warnings on stderr), then runs the
// document's checks before a send: Validate, then every tag's texts into a record. nullopt,
// with *error the check's message, when the file is none or fails.
std::optional<ConfigToSend> LoadConfigToSend(const QString &path, QString *error);

// Reach, check the gateway's protocol family against the file's, send.
GatewayResult SendConfigJob(const CliSettings &settings, const QByteArray &host, const ConfigToSend &config,
                            Progress &progress);
// Reach, get the configuration of the gateway's protocol, and only when it is whole save it
// to path as a document would (the file is replaced at once when complete).
GatewayResult GetConfigJob(const CliSettings &settings, const QByteArray &host, const QString &path, Progress &progress);

// --- web sites ---------------------------------------------------------------------------

// Reads a web site image file and checks its structure; nullopt with *error when it is none.
std::optional<QByteArray> LoadSiteToSend(const QString &path, QString *error);
GatewayResult SendSiteJob(const CliSettings &settings, const QByteArray &host, const QByteArray &image,
                          Progress &progress);
// The image is checked before it is saved; a damaged or partial one is never written.
GatewayResult GetSiteJob(const CliSettings &settings, const QByteArray &host, const QString &path, Progress &progress);
