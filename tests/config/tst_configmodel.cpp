#include "TestRegistry.h"

#include "base/ConvertError.h"
#include "config/ConfigModel.h"
#include "config/EmailConfig.h"

#include <QTest>

Q_DECLARE_METATYPE(TagProtocol)
Q_DECLARE_METATYPE(TConfigField)

namespace {

// A page that passes every check; each test row edits it with "Field=value;Field=value".
TEmailFields validEmail()
{
    return {true, "smtp.example.com", "20", "5", "10", "a@b", true, "u", "p", "p", {"r@x"}};
}

void applyEdits(TEmailFields &fields, const QByteArray &edits)
{
    for (const QByteArray &edit : edits.split(';')) {
        const qsizetype eq = edit.indexOf('=');
        const QByteArray key = edit.left(eq), value = edit.mid(eq + 1);
        if (key == "Enabled")
            fields.Enabled = value == "1";
        else if (key == "Server")
            fields.Server = value;
        else if (key == "Timeout")
            fields.Timeout = value;
        else if (key == "Retries")
            fields.Retries = value;
        else if (key == "RetryInterval")
            fields.RetryInterval = value;
        else if (key == "Sender")
            fields.Sender = value;
        else if (key == "User")
            fields.User = value;
        else if (key == "Confirmation")
            fields.Confirmation = value;
        else if (key == "Recipients")
            fields.Recipients = value.split(',');
    }
}

TModbusTagConfig modbusTag(const QByteArray &name)
{
    TModbusTagConfig tag;
    tag.TagName = name;
    tag.UnitID = 1;
    tag.Address = 1;
    tag.ValueKind = TagValueKind::Integer;
    tag.AlarmEnable = true;
    tag.LowestAlarm.IntValue = -5;
    return tag;
}

} // namespace

class TestConfigModel : public QObject
{
    Q_OBJECT

private slots:
    void hostAndAddress_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("host");
        QTest::addColumn<bool>("address");
        QTest::newRow("host name") << QByteArray("smtp-1.example_x") << true << false;
        QTest::newRow("trimmed") << QByteArray(" a@b\t") << false << true;
        QTest::newRow("two @ only") << QByteArray("@@") << false << true;
        QTest::newRow("empty") << QByteArray() << false << false;
        QTest::newRow("blanks") << QByteArray("   ") << false << false;
        QTest::newRow("blank inside") << QByteArray("a b@c") << false << false;
        QTest::newRow("accented letter") << QByteArray("\xe9@x") << false << false;
        QTest::newRow("NUL byte") << QByteArray("a\0@b", 4) << false << false;
        QTest::newRow("plus sign") << QByteArray("a+b@c") << false << false;
    }
    void hostAndAddress()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, host);
        QFETCH(bool, address);
        QCOMPARE(IsValidHostName(text), host);
        QCOMPARE(IsValidEmailAddress(text), address);
    }

    // The checks of Validate in their order, with each protocol's texts.
    void validate_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QByteArray>("edits");
        QTest::addColumn<QString>("message"); // empty: passes
        QTest::addColumn<TConfigField>("field");
        QTest::addColumn<int>("recipient");

        using F = TConfigField;
        struct Texts { const char *name, *server, *timeout, *retries, *interval, *address; };
        const Texts protocols[] = {
            {"Modbus", "Invalid SMTP Server.", "Invalid E-Mail Delivery Timeout.", "Invalid E-Mail Delivery Retries.",
             "Invalid time between retries.", "Invalid E-mail Address."},
            {"Hostlink", "Invalid SMTP Server.", "Invalid Delivery Timeout.", "Invalid Delivery Retries.",
             "Invalid time between retries.", "Invalid E-mail address."},
            {"DF1", "The SMTP Server is not valid.", "The E-Mail Sending Timeout is not valid.",
             "The E-Mail Sending Retries is not valid.", "The time between retries is not valid.", "The E-mail Address is not valid."}};
        for (int p = 0; p < 3; ++p) {
            const Texts &t = protocols[p];
            const auto protocol = TagProtocol(p);
            const auto row = [&](const char *name, const char *edits, const char *message, F field, int recipient = -1) {
                QTest::addRow("%s: %s", t.name, name) << protocol << QByteArray(edits) << QString::fromLatin1(message) << field << recipient;
            };
            row("valid", "", "", F::None);
            row("relaying off, no server or sender", "Enabled=0;Server=;Sender=", "", F::None);
            row("relaying on, no server", "Server=", t.server, F::EMailServer);
            row("blank inside server, relaying off", "Enabled=0;Server=a b", t.server, F::EMailServer);
            row("server of blanks", "Enabled=0;Server=  ", t.server, F::EMailServer);
            row("timeout 0", "Timeout=0", t.timeout, F::EMailTimeout);
            row("timeout 101", "Timeout=101", t.timeout, F::EMailTimeout);
            row("bad server before empty timeout", "Server=a b;Timeout=", t.server, F::EMailServer);
            row("empty timeout", "Timeout=", "'' is not a valid integer value", F::EMailTimeout);
            row("retries text", "Retries=x", "'x' is not a valid integer value", F::EMailRetries);
            row("retries 100", "Retries=100", t.retries, F::EMailRetries);
            row("retries 0", "Retries=0", "", F::None);
            row("interval 0", "RetryInterval=0", t.interval, F::EMailInterRetries);
            row("sender without @", "Sender=ab", t.address, F::EMailSender);
            row("relaying on, no sender", "Sender=", t.address, F::EMailSender);
            row("second recipient", "Recipients=ok@x,b c@x", t.address, F::EMailRecipients, 1);
            row("recipient, relaying off", "Enabled=0;Recipients=bad", t.address, F::EMailRecipients, 0);
            row("no user", "User=", "Invalid SMTP Username", F::User);
            row("passwords differ in case", "Confirmation=P", "Passwords do not match", F::Password);
            row("authentication without relaying", "Enabled=0;User=;Confirmation=x", "", F::None);
            if (protocol == TagProtocol::DF1)
                row("bad recipient and no user", "Recipients=bad;User=", "Invalid SMTP Username", F::User);
            else
                row("bad recipient and no user", "Recipients=bad;User=", t.address, F::EMailRecipients, 0);
        }
        QTest::newRow("Modbus: packet timeout 21") << TagProtocol::Modbus << QByteArray("Server=") << "Invalid Packet Timeout."
                                                   << F::PacketTimeout << -1;
    }
    void validate()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QByteArray, edits);
        QFETCH(QString, message);
        QFETCH(TConfigField, field);
        QFETCH(int, recipient);
        TConfigModel model(protocol);
        model.Email = validEmail();
        applyEdits(model.Email, edits);
        if (field == TConfigField::PacketTimeout)
            model.Serial.PacketTimeout = "21";
        const TFieldCheck check = model.Validate();
        QCOMPARE(check.Ok, message.isEmpty());
        QCOMPARE(check.Message, message);
        QCOMPARE(check.Field, field);
        QCOMPARE(check.Recipient, recipient);
        QCOMPARE(check.Conversion, message.startsWith(QLatin1Char('\'')));
    }

    void recipientMoves()
    {
        TEmailFields fields;
        fields.Recipients = {"a", "b", "c"};
        QCOMPARE(MoveRecipient(fields, 0, -1), -1);
        QCOMPARE(MoveRecipient(fields, 2, +1), -1);
        QCOMPARE(MoveRecipient(fields, 1, +1), 2);
        QCOMPARE(fields.Recipients, QList<QByteArray>({"a", "c", "b"}));
        QCOMPARE(MoveRecipient(fields, 1, -1), 0);
        QCOMPARE(fields.Recipients, QList<QByteArray>({"c", "a", "b"}));
        fields.Recipients << "d" << "e";
        QVERIFY(!CanAddRecipient(fields));
    }

    // A record loaded into a model and taken back out is the same record; values the lists
    // and sliders cannot show are limited on the way in.
    void modbusRecord()
    {
        TModbusOrvanConfig record;
        record.ComType = 2;
        record.BaudRate = 8;
        record.Parity = 1;
        record.Format = 1;
        record.ScanTime = 50;
        record.MessageTimeout = 2000;
        record.PacketTimeout = 9;
        record.Email = EmailConfigFromFields(validEmail());
        record.TagCount = 2;
        record.Tags[0] = modbusTag("A");
        record.Tags[1] = modbusTag("B");
        TModbusConfigModel model;
        model.SetAllConfig(record);
        TModbusOrvanConfig back;
        back.Tags[5] = modbusTag("STALE");
        model.GetAllConfig(back);
        QCOMPARE(back.Email, record.Email);
        QCOMPARE(back.Tags, record.Tags);
        QCOMPARE(std::tuple(back.ComType, back.BaudRate, back.Parity, back.Format, back.ScanTime, back.MessageTimeout,
                            back.PacketTimeout, back.TagCount),
                 std::tuple(record.ComType, record.BaudRate, record.Parity, record.Format, record.ScanTime,
                            record.MessageTimeout, record.PacketTimeout, record.TagCount));

        record.ComType = 3;  // no such list position: the selection stays
        record.ScanTime = 20000;
        record.MessageTimeout = 5;
        record.TagCount = 200;
        record.Email.RecipientCount = 9;
        model.SetAllConfig(record);
        QCOMPARE(model.Serial.ComType, 2);
        QCOMPARE(model.Serial.ScanTime, 10000);
        QCOMPARE(model.Serial.MessageTimeout, 10);
        QCOMPARE(model.GetTagCount(), MaxTags);
        QCOMPARE(model.Email.Recipients.size(), MaxRecipients);
    }

    void df1Record_data()
    {
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parityBack");
        QTest::addColumn<int>("dataBitsBack");
        QTest::newRow("none, 7") << 0 << 7 << 0 << 7;
        QTest::newRow("1 is even") << 1 << 8 << 2 << 8;
        QTest::newRow("2 is even") << 2 << 9 << 2 << 8;
        QTest::newRow("3 leaves none") << 3 << 7 << 0 << 7;
    }
    void df1Record()
    {
        QFETCH(int, parity);
        QFETCH(int, dataBits);
        QFETCH(int, parityBack);
        QFETCH(int, dataBitsBack);
        TDF1OrvanConfig record;
        record.Parity = quint8(parity);
        record.DataBits = dataBits;
        record.ErrorMethod = 1;
        record.Email.AuthEnabled = true;
        record.Email.SmtpUser = "user";
        record.Email.SmtpPassword = "pw";
        TDF1ConfigModel model;
        model.SetAllConfig(record);
        TDF1OrvanConfig back;
        model.GetAllConfig(back);
        QCOMPARE(int(back.Parity), parityBack);
        QCOMPARE(back.DataBits, dataBitsBack);
        QCOMPARE(back.ErrorMethod, 1);
        QCOMPARE(back.Email.SmtpUser, QByteArray("user"));
        QCOMPARE(back.Email.SmtpPassword, QByteArray("pw"));
        QCOMPARE(model.Email.Confirmation, QByteArray("pw"));
    }

    void emailRecord()
    {
        TEmailFields fields = validEmail();
        fields.Recipients = {"x@y", "z@y"};
        fields.Confirmation = "other";
        const TEmailConfig config = EmailConfigFromFields(fields);
        QCOMPARE(config.RecipientCount, 2);
        QCOMPARE(config.Recipients, (std::array<QByteArray, 5>{"x@y", "z@y", "", "", ""}));
        QCOMPARE(config.SmtpPassword, QByteArray("p"));
        fields.Retries = "";
        QVERIFY_THROWS_EXCEPTION(EConvertError, EmailConfigFromFields(fields));
    }

    void tagRows()
    {
        TModbusConfigModel model;
        QVERIFY(model.AddTagToList(modbusTag("LEVEL")));
        QVERIFY(model.AddTagToList(modbusTag("FLOW")));
        QVERIFY(model.TagExists("FLOW"));
        QVERIFY(!model.TagExists("flow"));
        QVERIFY(!model.TagExists("FLOW", 1));
        QVERIFY(model.TagExists("FLOW", 0));
        QCOMPARE(model.TagCaption(1), QByteArray("FLOW"));
        QCOMPARE(model.TagCells(1).size(), TagColumns(TagProtocol::Modbus).size() + 1);
        QCOMPARE(model.TagCells(1).constLast(), QByteArray("1"));

        TModbusTagConfig tag = modbusTag("KEEP");
        QVERIFY(!model.GetTagFromList(2, tag));
        QCOMPARE(tag, modbusTag("KEEP"));
        QVERIFY(model.ReplaceTagAt(0, modbusTag("NEW")));
        QVERIFY(model.GetTagFromList(0, tag));
        QCOMPARE(tag, modbusTag("NEW"));

        // A damaged cell fails the record it is needed for, and leaves the record as it was.
        QList<QByteArray> texts = model.TagTexts(1);
        texts[2] = "1x";
        model.SetTagTexts(1, texts);
        TModbusOrvanConfig record;
        record.TagCount = 7;
        try {
            model.GetAllConfig(record);
            QFAIL("no conversion error");
        } catch (const EConvertError &error) {
            QCOMPARE(error.message(), QStringLiteral("'1x' is not a valid integer value"));
        }
        QCOMPARE(record.TagCount, 7);

        model.DeleteTagAt(1);
        model.DeleteTagAt(5);
        QCOMPARE(model.GetTagCount(), 1);
        while (model.GetTagCount() < MaxTags)
            QVERIFY(model.AppendTagTexts({"T" + QByteArray::number(model.GetTagCount())}));
        QVERIFY(!model.AddTagToList(modbusTag("MORE")));
        QCOMPARE(model.GetTagCount(), MaxTags);
    }
};

KOVA_TEST(TestConfigModel)
#include "tst_configmodel.moc"
