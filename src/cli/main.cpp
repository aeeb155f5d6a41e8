// kova-cli: the jobs of Kova's windows without a window, for servers and for fleets of
// gateways. Built on kova_core alone (no QtWidgets).
#include "cli/CliOutput.h"
#include "cli/Commands.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char *const Overview =
    "Usage: kova-cli COMMAND [options]\n"
    "Kova's gateway jobs without a window.\n"
    "\n"
    "Commands:\n"
    "  search                          list the gateways on the local network\n"
    "  get  --device HOST -o FILE.ovc  fetch a gateway's configuration into a file\n"
    "  send FILE.ovc --device HOST...  check a configuration file and send it to gateways\n"
    "  site get --device HOST -o FILE.qsw\n"
    "                                  fetch a gateway's web site image\n"
    "  site send FILE.qsw --device HOST...\n"
    "                                  send a web site image to gateways\n"
    "\n"
    "kova-cli COMMAND --help describes a command's options. The administrator password comes\n"
    "from --password, --password-file or the environment variable KOVA_PASSWORD.\n"
    "Results go to stdout (a table, or JSON with --json), progress to stderr.\n"
    "Exit status: 0 when every job succeeded, 1 when a gateway failed, 2 for a wrong command\n"
    "line, 3 when the file was refused before any gateway was touched.\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The same name as the window, so both find the same kova.ini in the user's folder.
    QCoreApplication::setApplicationName(QStringLiteral("Kova"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOVA_VERSION));

    CliPrompt prompt;
    Prompt::install(&prompt);

    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    int status = CliExit::Usage;
    if (command == QLatin1String("search"))
        status = RunSearch(arguments);
    else if (command == QLatin1String("get"))
        status = RunGet(arguments);
    else if (command == QLatin1String("send"))
        status = RunSend(arguments);
    else if (command == QLatin1String("site"))
        status = RunSite(arguments);
    else if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(Overview, stdout);
        status = CliExit::Ok;
    } else if (command == QLatin1String("--version")) {
        std::printf("kova-cli %s\n", KOVA_VERSION);
        status = CliExit::Ok;
    } else {
        if (!command.isEmpty())
            PrintError(QStringLiteral("unknown command \"%1\"").arg(command));
        std::fputs(Overview, stderr);
    }
    Prompt::install(nullptr);
    return status;
}
