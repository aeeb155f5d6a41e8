#pragma once

#include <QStringList>

// The commands of kova-cli. Each takes the whole argument list (program name first, then
// the command's words) and returns the exit status.
namespace CliExit {
enum : int {
    Ok = 0,      // every requested job succeeded
    Failed = 1,  // at least one gateway (or the search) failed; see its result line
    Usage = 2,   // the command line makes no sense
    Refused = 3, // the file was refused before any gateway was touched
};
}

int RunSearch(const QStringList &arguments);
int RunGet(const QStringList &arguments);
int RunSend(const QStringList &arguments);
int RunSite(const QStringList &arguments);
