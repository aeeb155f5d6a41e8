#include "base/DeviceData.h"

#include <array>

namespace {

struct ModelRow
{
    const char *code;
    const char *name;
    quint8 family;
    bool orvan;
};

constexpr std::array kModels{
    ModelRow{"1119", "Orvan-MB-C", FamilyModbus, true},
    ModelRow{"1118", "Orvan-MB-0", FamilyModbus, true},
    ModelRow{"1117", "Orvan-DF1-C", FamilyDF1, true},
    ModelRow{"1116", "Orvan-DF1-0", FamilyDF1, true},
    ModelRow{"1110", "Orvan-HL-C", FamilyHostlink, true},
    ModelRow{"1109", "Orvan-HL-0", FamilyHostlink, true},
};

} // namespace

ModelInfo GetModelInfo(const QByteArray &code)
{
    for (const ModelRow &row : kModels) {
        if (code == row.code)
            return {row.name, row.family, row.orvan};
    }
    return {"Quorsa Device", FamilyModbus, false};
}

QByteArray GetModelName(const QByteArray &code)
{
    return GetModelInfo(code).name;
}
