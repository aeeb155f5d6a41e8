#include "config/ConfigFields.h"

#include "base/ConvertError.h"
#include "config/TagText.h"

const QList<QByteArray> &ComTypeItems()
{
    static const QList<QByteArray> items = {"RS-232", "RS-485", "RS-422"};
    return items;
}

const QList<QByteArray> &BaudRateItems()
{
    static const QList<QByteArray> items = {"2400", "4800", "9600", "14400", "19200", "28800", "38400", "57600", "115200"};
    return items;
}

const QList<QByteArray> &ParityItems(TagProtocol protocol)
{
    static const QList<QByteArray> three = {"None", "Odd", "Even"};
    static const QList<QByteArray> df1 = {"None", "Even"};
    return protocol == TagProtocol::DF1 ? df1 : three;
}

const QList<QByteArray> &FormatItems()
{
    static const QList<QByteArray> items = {"RTU", "ASCII"};
    return items;
}

const QList<QByteArray> &DataBitsItems()
{
    static const QList<QByteArray> items = {"7", "8"};
    return items;
}

const QList<QByteArray> &ErrorMethodItems()
{
    static const QList<QByteArray> items = {"CRC", "BCC"};
    return items;
}

const QList<QByteArray> &TagColumns(TagProtocol protocol)
{
    static const QList<QByteArray> modbus = {"Source", "Unit ID", "Address", "Type", "32 Bit", "Bit Pos", "Read Only",
                                             "Limits", "Min", "Max", "Alarm", "Low", "High", "Email", "Scale", "A", "B", "Trap"};
    static const QList<QByteArray> hostlink = {"Source", "Unit ID", "Table", "Address", "Type", "Bit Pos", "Read Only",
                                               "Limits", "Min", "Max", "Alarm", "Low", "High", "Email", "Scale", "A", "B"};
    static const QList<QByteArray> df1 = {"Source", "File Type", "File No.", "Word No.", "Type", "Bit Pos", "Read Only",
                                          "Limits", "Min", "Max", "Alarm", "Low", "High", "Email", "Scale", "A", "B"};
    return ByProtocol(protocol, modbus, hostlink, df1);
}

int EmailLimit::Password(TagProtocol protocol)
{
    return protocol == TagProtocol::Modbus ? 20 : 49;
}

const char *FieldControlName(TConfigField field)
{
    switch (field) {
    case TConfigField::None:
        break;
    case TConfigField::PacketTimeout:
        return "txtPacketTout";
    case TConfigField::EMailServer:
        return "txtEMailServer";
    case TConfigField::EMailTimeout:
        return "txtEMailTimeout";
    case TConfigField::EMailRetries:
        return "txtEMailRetries";
    case TConfigField::EMailInterRetries:
        return "txtEMailInterRetries";
    case TConfigField::EMailSender:
        return "txtEMailSender";
    case TConfigField::EMailRecipients:
        return "lstEMailRecipients";
    case TConfigField::User:
        return "txtUser";
    case TConfigField::Password:
        return "txtPass1";
    }
    return "";
}

TConfigPage FieldPage(TConfigField field)
{
    return field == TConfigField::PacketTimeout || field == TConfigField::None ? TConfigPage::SerialPort : TConfigPage::EMails;
}

TFieldCheck CheckNumberField(TConfigField field, const QByteArray &text, int lowest, int highest, const QString &message)
{
    qint32 value = 0;
    if (!TryParseInteger(text, &value)) {
        TFieldCheck check = TFieldCheck::fail(field, EConvertError::invalidInteger(text).message());
        check.Conversion = true;
        return check;
    }
    if (value < lowest || value > highest)
        return TFieldCheck::fail(field, message);
    return TFieldCheck::pass();
}
