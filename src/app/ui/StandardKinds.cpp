#include "app/ui/StandardKinds.h"

#include "app/ui/KovaIcons.h"
#include "config/ConfigFile.h"
#include "config/ui/ConfigDocuments.h"
#include "site/ui/Site.h"

TDocumentKinds StandardDocumentKinds()
{
    using Role = TDocumentKind::Role;
    TDocumentKinds kinds(4);
    kinds[KindModbus] = {QStringLiteral("Orvan Modbus Configuration"), QStringLiteral(".ovc"), Role::Configuration, 0,
                         KovaIcons::documentKind(KindModbus), {}, {}, {}, {}, {}, {}};
    kinds[KindHostlink] = {QStringLiteral("Orvan Hostlink Configuration"), QStringLiteral(".ovc"), Role::Configuration, 1,
                           KovaIcons::documentKind(KindHostlink), {}, {}, {}, {}, {}, {}};
    kinds[KindDF1] = {QStringLiteral("Orvan DF1 Configuration"), QStringLiteral(".ovc"), Role::Configuration, 2,
                      KovaIcons::documentKind(KindDF1), {}, {}, {}, {}, {}, {}};
    kinds[KindWebSite] = {QStringLiteral("Orvan Web Site"), QStringLiteral(".qsw"), Role::WebSite, 0,
                          KovaIcons::documentKind(KindWebSite), {}, {}, {}, {}, {}, {}};

    PlugDocument<TMDIModbusConfig>(kinds[KindModbus], IsModbusConfigFile);
    PlugDocument<TMDIHostlinkConfig>(kinds[KindHostlink], IsHostlinkConfigFile);
    PlugDocument<TMDIDF1Config>(kinds[KindDF1], IsDF1ConfigFile);
    PlugSiteDocument<TMDISite>(kinds[KindWebSite], &TMDISite::IsOrvanSiteFile);
    return kinds;
}
