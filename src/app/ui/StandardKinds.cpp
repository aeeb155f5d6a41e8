#include "app/ui/StandardKinds.h"

#include "app/ui/KovaIcons.h"
#include "config/ConfigFile.h"
#include "config/ConfigTransfer.h"
#include "config/ui/ConfigDocuments.h"
#include "site/ui/Site.h"

TDocumentKinds StandardDocumentKinds()
{
    using Role = TDocumentKind::Role;
    TDocumentKinds kinds(4);
    const auto configuration = [](const char *caption, TagProtocol protocol, int index) {
        return TDocumentKind{QLatin1String(caption), QStringLiteral(".ovc"), Role::Configuration,
                             FamilyOfProtocol(protocol), KovaIcons::documentKind(index), {}, {}, {}, {}, {}, {}};
    };
    kinds[KindModbus] = configuration("Orvan Modbus Configuration", TagProtocol::Modbus, KindModbus);
    kinds[KindHostlink] = configuration("Orvan Hostlink Configuration", TagProtocol::Hostlink, KindHostlink);
    kinds[KindDF1] = configuration("Orvan DF1 Configuration", TagProtocol::DF1, KindDF1);
    kinds[KindWebSite] = {QStringLiteral("Orvan Web Site"), QStringLiteral(".qsw"), Role::WebSite, 0,
                          KovaIcons::documentKind(KindWebSite), {}, {}, {}, {}, {}, {}};

    PlugDocument<TMDIModbusConfig>(kinds[KindModbus], IsModbusConfigFile);
    PlugDocument<TMDIHostlinkConfig>(kinds[KindHostlink], IsHostlinkConfigFile);
    PlugDocument<TMDIDF1Config>(kinds[KindDF1], IsDF1ConfigFile);
    PlugSiteDocument<TMDISite>(kinds[KindWebSite], &TMDISite::IsOrvanSiteFile);
    return kinds;
}
