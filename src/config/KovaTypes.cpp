#include "config/KovaTypes.h"

namespace {

const QByteArray PlaceholderHead = "Unknown (";
const QByteArray PlaceholderTail = ")";

// Code written in a placeholder; -1 when the text is not exactly a placeholder's form.
int placeholderCode(const QByteArray &text)
{
    if (!text.startsWith(PlaceholderHead) || !text.endsWith(PlaceholderTail))
        return -1;
    const QByteArray digits = text.mid(PlaceholderHead.size(), text.size() - PlaceholderHead.size() - PlaceholderTail.size());
    if (digits.isEmpty() || digits.size() > 3)
        return -1;
    for (char c : digits)
        if (c < '0' || c > '9')
            return -1;
    const int code = digits.toInt();
    // Only the canonical form a ...Text conversion writes (no leading zeros).
    if (QByteArray::number(code) != digits)
        return -1;
    return code;
}

} // namespace

QByteArray ItemText(const QList<QByteArray> &items, int code)
{
    if (code >= 0 && code < items.size())
        return items.at(code);
    return PlaceholderHead + QByteArray::number(code) + PlaceholderTail;
}

quint8 ItemValue(const QList<QByteArray> &items, const QByteArray &text)
{
    const qsizetype index = items.indexOf(text);
    if (index >= 0)
        return quint8(index);
    const int code = placeholderCode(text);
    if (code >= items.size() && code <= 255)
        return quint8(code);
    return 0;
}

QString ProtocolWord(TagProtocol protocol)
{
    static const QString modbus = QStringLiteral("Modbus"), hostlink = QStringLiteral("Hostlink"),
                         df1 = QStringLiteral("DF1");
    return ByProtocol(protocol, modbus, hostlink, df1);
}

const QList<QByteArray> &SourceItems(TagProtocol protocol)
{
    // The fifth Modbus item is empty: it makes an analog input tag.
    static const QList<QByteArray> modbus = {"Modbus Serial", "Orvan Input", "Orvan Output", "Internal", ""};
    static const QList<QByteArray> hostlink = {"Hostlink Serial", "Orvan Input", "Orvan Output", "Internal", "Orvan Ainput"};
    static const QList<QByteArray> df1 = {"DF1 Serial", "Orvan Input", "Orvan Output", "Internal", "Orvan Ainput"};
    return ByProtocol(protocol, modbus, hostlink, df1);
}

const QList<QByteArray> &TypeItems(TagProtocol protocol)
{
    static const QList<QByteArray> modbus = {"Unsigned int", "Signed int", "Long", "Long Inverted", "Float",
                                             "Float Inverted", "BCD", "Word bit", "Single bit"};
    static const QList<QByteArray> hostlinkDF1 = {"Unsigned int", "Signed int", "Long", "Float", "BCD", "Word bit", "Single bit"};
    return protocol == TagProtocol::Modbus ? modbus : hostlinkDF1;
}

const QList<QByteArray> &ScaleItems()
{
    static const QList<QByteArray> items = {"None", "Linear (Ax+B)"};
    return items;
}

const QList<QByteArray> &ModbusFunctionItems()
{
    static const QList<QByteArray> items = {"Holding Register", "Input Register", "Input Status", "Coil Status"};
    return items;
}

const QList<QByteArray> &HostlinkFunctionItems()
{
    static const QList<QByteArray> items = {"IR", "SR", "LR", "HR", "TCPV", "DM"};
    return items;
}

const QList<QByteArray> &DF1FileTypeItems()
{
    static const QList<QByteArray> items = {"Input (I)", "Output (O)", "Status (S)", "Binary (B)", "Integer (N)", "Float (F)"};
    return items;
}

const QList<QByteArray> &TableItems(TagProtocol protocol)
{
    return ByProtocol(protocol, ModbusFunctionItems(), HostlinkFunctionItems(), DF1FileTypeItems());
}

QByteArray GetSourceText(TagProtocol protocol, int code) { return ItemText(SourceItems(protocol), code); }
quint8 GetSourceValue(TagProtocol protocol, const QByteArray &text) { return ItemValue(SourceItems(protocol), text); }
QByteArray GetTypeText(TagProtocol protocol, int code) { return ItemText(TypeItems(protocol), code); }
quint8 GetTypeValue(TagProtocol protocol, const QByteArray &text) { return ItemValue(TypeItems(protocol), text); }
QByteArray GetScaleText(int code) { return ItemText(ScaleItems(), code); }
quint8 GetScaleValue(const QByteArray &text) { return ItemValue(ScaleItems(), text); }
QByteArray GetModbusFunctionText(int code) { return ItemText(ModbusFunctionItems(), code); }
quint8 GetModbusFunctionValue(const QByteArray &text) { return ItemValue(ModbusFunctionItems(), text); }
QByteArray GetHostlinkFunctionText(int code) { return ItemText(HostlinkFunctionItems(), code); }
quint8 GetHostlinkFunctionValue(const QByteArray &text) { return ItemValue(HostlinkFunctionItems(), text); }
QByteArray GetDF1FileTypeText(int code) { return ItemText(DF1FileTypeItems(), code); }
quint8 GetDF1FileTypeValue(const QByteArray &text) { return ItemValue(DF1FileTypeItems(), text); }

char ModbusTableDigit(int table)
{
    switch (table) {
    case ModbusTable::HoldingRegister:
        return '4';
    case ModbusTable::InputRegister:
        return '3';
    case ModbusTable::InputStatus:
        return '1';
    case ModbusTable::CoilStatus:
        return '0';
    default:
        return '?';
    }
}

int ModbusTableFromDigit(char digit)
{
    switch (digit) {
    case '4':
        return ModbusTable::HoldingRegister;
    case '3':
        return ModbusTable::InputRegister;
    case '1':
        return ModbusTable::InputStatus;
    case '0':
        return ModbusTable::CoilStatus;
    default:
        return -1;
    }
}
