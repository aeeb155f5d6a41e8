#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "TransferRig.h"
#include "TransferSamples.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "config/ConfigModel.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWire.h"

#include <QTest>

#include <functional>

using Produce = std::function<QByteArray()>;
Q_DECLARE_METATYPE(Produce)

namespace {

template<class Record>
QByteArray added(const char *command, const Record &record)
{
    TPacket p;
    p.NewCommand(command);
    if constexpr (requires { AddTagKeys(p, record); })
        AddTagKeys(p, record);
    else
        AddComKeys(p, record);
    return p.GetText();
}

TPacket reply(const QByteArray &text)
{
    TPacket p;
    p.SetText(text);
    return p;
}

// Calls f with the record type of a protocol.
template<class F>
void withConfig(TagProtocol protocol, F &&f)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return f(std::type_identity<TModbusOrvanConfig>());
    case TagProtocol::Hostlink:
        return f(std::type_identity<THostlinkOrvanConfig>());
    case TagProtocol::DF1:
        return f(std::type_identity<TDF1OrvanConfig>());
    }
}

const QByteArray SampleSmtp =
    "SETSMTP(ENABLE=1,SERVER=mail.example.com,TIMEOUT=30,RETRIES=2,RETRYINT=15,FROM=gw@example.com,AUTH=1,USER=u,"
    "PASS=p/cow,);";

} // namespace

// The sequences and encodings of the configuration transfer, without a window.
class TestConfigTransfer : public QObject
{
    Q_OBJECT

private slots:
    void wireForms_data()
    {
        QTest::addColumn<Produce>("produce");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("modbus holding register 1, integer limits") << Produce([] {
            TModbusTagConfig t;
            t.TagName = "LEVEL";
            t.UnitID = 1;
            t.ModbusFunction = ModbusTable::HoldingRegister;
            t.Address = 1;
            t.WriteLimits = true;
            t.MinWrite.IntValue = -5;
            t.MaxWrite.IntValue = 500;
            t.AlarmEnable = t.SendEMail = true;
            t.LowestAlarm.IntValue = 5;
            t.HighestAlarm.IntValue = 5000;
            t.ValueKind = TagValueKind::Integer;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=LEVEL,SOURCE=0,UNIT=1,TYPE=0,MBFUNC=4,ADDRESS=0,REG32=0,BIT=0,SCALE=1,"
                         "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=1,EMAIL=1,TRAP=0,"
                         "WRLO=-5,WRHI=500,ALLO=5,ALHI=5000,);");
        QTest::newRow("modbus coil, digital: no write limits, edge flags") << Produce([] {
            TModbusTagConfig t;
            t.TagName = "PUMP";
            t.UnitID = 2;
            t.TagType = ModbusType::SingleBit;
            t.ModbusFunction = ModbusTable::CoilStatus;
            t.Address = 12;
            t.MinWrite.IntValue = 9;
            t.AlarmEnable = t.SendTrap = true;
            t.LowestAlarm.BoolValue = true;
            t.ValueKind = TagValueKind::Digital;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=PUMP,SOURCE=0,UNIT=2,TYPE=8,MBFUNC=0,ADDRESS=11,REG32=0,BIT=0,SCALE=1,"
                         "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=1,EMAIL=0,TRAP=1,"
                         "WRLO=0,WRHI=0,ALLO=1,ALHI=0,);");
        QTest::newRow("modbus input: coil status at address 0, whatever table the record holds") << Produce([] {
            TModbusTagConfig t;
            t.TagName = "DOOR";
            t.Source = TagSource::Input;
            t.BitPosition = 2;
            SetFixedLocation(t); // Input Status
            t.ReadOnly = true;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=DOOR,SOURCE=1,UNIT=0,TYPE=8,MBFUNC=0,ADDRESS=-1,REG32=0,BIT=2,SCALE=1,"
                         "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=1,LIMITS=0,ALARM=0,EMAIL=0,TRAP=0,"
                         "WRLO=0,WRHI=0,ALLO=0,ALHI=0,);");
        QTest::newRow("modbus linear scale: real limits, escaped name") << Produce([] {
            TModbusTagConfig t;
            t.TagName = "T,1";
            t.UnitID = 3;
            t.TagType = ModbusType::SignedInt;
            t.ModbusFunction = ModbusTable::InputRegister;
            t.Address = 10000;
            t.ReadOnly = t.AlarmEnable = true;
            t.Scale = TagScale::Linear;
            t.FactorA = 0.1f;
            t.FactorB = -3.5f;
            t.LowestAlarm.RealValue = 0.5f;
            t.HighestAlarm.RealValue = 3.4e38f;
            t.ValueKind = TagValueKind::Real;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=T/co1,SOURCE=0,UNIT=3,TYPE=1,MBFUNC=3,ADDRESS=9999,REG32=0,BIT=0,SCALE=2,"
                         "FACT_A=1.00000001E-1,FACT_B=-3.50000000E0,READONLY=1,LIMITS=0,ALARM=1,EMAIL=0,TRAP=0,"
                         "WRLO=0.00000000E0,WRHI=0.00000000E0,ALLO=5.00000000E-1,ALHI=3.39999995E38,);");
        QTest::newRow("hostlink DM area, address as it is") << Produce([] {
            THostlinkTagConfig t;
            t.TagName = "OIL";
            t.TagType = HostlinkDF1Type::Float;
            t.HostlinkFunction = HostlinkArea::DM;
            t.Address = 100;
            t.ValueKind = TagValueKind::Real;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=OIL,SOURCE=0,UNIT=0,TYPE=3,HLFUNC=6,ADDRESS=100,BIT=0,SCALE=1,"
                         "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,"
                         "WRLO=0.00000000E0,WRHI=0.00000000E0,ALLO=0.00000000E0,ALHI=0.00000000E0,);");
        QTest::newRow("df1 float file, subelement 0") << Produce([] {
            TDF1TagConfig t;
            t.TagName = "RATE";
            t.TagType = HostlinkDF1Type::Float;
            t.FileType = DF1File::Float;
            t.FileNumber = 8;
            t.WordNumber = 3;
            t.ValueKind = TagValueKind::Real;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=RATE,SOURCE=0,FILETYPE=138,FILENUMBER=8,ELEMENT=3,SUBELEMENT=0,TYPE=3,BIT=0,"
                         "SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,"
                         "WRLO=0.00000000E0,WRHI=0.00000000E0,ALLO=0.00000000E0,ALHI=0.00000000E0,);");
        QTest::newRow("df1 output, negative edge") << Produce([] {
            TDF1TagConfig t;
            t.TagName = "VALVE";
            t.Source = TagSource::Output;
            t.BitPosition = 3;
            SetFixedLocation(t);
            t.AlarmEnable = true;
            t.HighestAlarm.BoolValue = true;
            return added("ADDTAG", t);
        }) << QByteArray("ADDTAG(NAME=VALVE,SOURCE=2,FILETYPE=130,FILENUMBER=0,ELEMENT=0,SUBELEMENT=0,TYPE=6,BIT=3,"
                         "SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=1,EMAIL=0,"
                         "WRLO=0,WRHI=0,ALLO=0,ALHI=1,);");
        QTest::newRow("values without a wire code leave their keys out") << Produce([] {
            THostlinkOrvanConfig c;
            SetNewConfigDefaults(c);
            c.ComType = 3;
            c.BaudRate = 9;
            c.Parity = 3;
            return added("SETCOM", c);
        }) << QByteArray("SETCOM(COM=0,MSGTOUT=1000,RETRIES=1,SCANTIME=100,);");
        QTest::newRow("df1 parity odd goes as 1, 6 data bits are left out") << Produce([] {
            TDF1OrvanConfig c;
            SetNewConfigDefaults(c);
            c.Parity = 1;
            c.DataBits = 6;
            return added("SETCOM", c);
        }) << QByteArray("SETCOM(COM=0,COMTYPE=0,BAUD=9600,PARITY=1,MSGTOUT=1000,SCANTIME=100,ERRORMTHD=0,);");
    }

    void wireForms()
    {
        QFETCH(Produce, produce);
        QTEST(produce(), "expected");
    }

    // Reading replies: wire defaults for missing keys, fields kept where a value maps to nothing.
    void readBack_data()
    {
        QTest::addColumn<Produce>("produce");
        QTest::addColumn<QByteArray>("expected");

        auto com = [](TModbusOrvanConfig c, const QByteArray &text) {
            ReadComKeys(reply(text), c);
            return QByteArray("type %1 baud %2 parity %3 format %4 pkt %5 msg %6 scan %7")
                .replace("%1", QByteArray::number(c.ComType)).replace("%2", QByteArray::number(c.BaudRate))
                .replace("%3", QByteArray::number(c.Parity)).replace("%4", QByteArray::number(c.Format))
                .replace("%5", QByteArray::number(c.PacketTimeout)).replace("%6", QByteArray::number(c.MessageTimeout))
                .replace("%7", QByteArray::number(c.ScanTime));
        };
        TModbusOrvanConfig earlier;
        samples::serial(earlier); // RS-485, 19200, even, ASCII, 8, 500, 250
        QTest::newRow("COM keys missing: wire defaults") << Produce([=] { return com(earlier, "COM(COM=0,);"); })
                                                         << QByteArray("type 0 baud 2 parity 0 format 0 pkt 4 msg 1000 scan 100");
        QTest::newRow("COM values that map to nothing keep the record's") << Produce([=] {
            return com(earlier, "COM(COMTYPE=7,FORMAT=2,BAUD=1200,PARITY=3,);");
        }) << QByteArray("type 1 baud 4 parity 2 format 1 pkt 4 msg 1000 scan 100");
        QTest::newRow("COMTYPE 1 reads as RS-232") << Produce([=] { return com(earlier, "COM(COMTYPE=1,)").left(6); })
                                                   << QByteArray("type 0");
        QTest::newRow("COMTYPE 3 reads as RS-422") << Produce([=] { return com(earlier, "COM(COMTYPE=3,BAUD=115200,)").left(13); })
                                                   << QByteArray("type 2 baud 8");
        QTest::newRow("a malformed value leaves the whole record") << Produce([=] {
            TModbusOrvanConfig c = earlier;
            try {
                ReadComKeys(reply("COM(COMTYPE=0,BAUD=fast,);"), c);
            } catch (const EConvertError &e) {
                return e.message().toLatin1() + " " + QByteArray::number(c.ComType);
            }
            return QByteArray("no error");
        }) << QByteArray("'fast' is not a valid integer value 1");
        QTest::newRow("df1: parity other than 0 is even, databits 1 is 7, unknown error method kept") << Produce([] {
            TDF1OrvanConfig c;
            SetNewConfigDefaults(c);
            c.ErrorMethod = 1;
            ReadComKeys(reply("COM(PARITY=5,DATABITS=1,ERRORMTHD=4,);"), c);
            return QByteArray::number(c.Parity) + QByteArray::number(c.DataBits) + QByteArray::number(c.ErrorMethod);
        }) << QByteArray("271");
        QTest::newRow("recipients: a, empty, c gives a and c") << Produce([] {
            TEmailConfig e = samples::email();
            e.Recipients = {"x", "y", "z", "v", "w"};
            e.RecipientCount = 5;
            ReadSmtpKeys(reply("SMTP();"), e);
            for (const char *address : {"a", "", "c", "", ""})
                ReadRecipient(reply("TOO(TOO=0,EMAIL=" + QByteArray(address) + ",);"), e);
            return QByteArray::number(e.RecipientCount) + ":" + QByteArrayList(e.Recipients.begin(), e.Recipients.end()).join(',')
                   + ":" + QByteArray::number(e.Timeout) + "," + QByteArray::number(e.Retries) + ","
                   + QByteArray::number(e.RetryInterval);
        }) << QByteArray("2:a,c,,,:20,5,10");
        QTest::newRow("modbus tag: ADDRESS 0 is address 1; MBFUNC 2 and SCALE 0 keep the record's") << Produce([] {
            TModbusTagConfig t;
            t.ModbusFunction = ModbusTable::InputRegister;
            t.Scale = TagScale::Linear;
            ReadTagKeys(reply("TAGCONFIG(MBFUNC=2,ADDRESS=0,SCALE=0,ALLO=2.5E0,);"), t);
            return QByteArray::number(t.ModbusFunction) + " " + QByteArray::number(t.Address) + " "
                   + QByteArray::number(t.Scale) + " " + t.TagName + " kind " + QByteArray::number(t.ValueKind) + " "
                   + QByteArray::number(t.LowestAlarm.RealValue);
        }) << QByteArray("1 1 1 * kind 2 2.5");
        QTest::newRow("modbus analog input reads integer limits") << Produce([] {
            TModbusTagConfig t;
            ReadTagKeys(reply("TAGCONFIG(NAME=AI,SOURCE=4,TYPE=1,MBFUNC=0,ADDRESS=-1,SCALE=1,WRLO=-7,ALLO=3,ALHI=1,);"), t);
            return QByteArray::number(t.ValueKind) + " " + QByteArray::number(t.MinWrite.IntValue) + " "
                   + QByteArray::number(t.LowestAlarm.IntValue) + " " + QByteArray::number(t.HighestAlarm.BoolValue);
        }) << QByteArray("1 -7 3 0");
        QTest::newRow("digital tag: write limits cleared, alarm limits are edge flags") << Produce([] {
            THostlinkTagConfig t;
            t.HostlinkFunction = HostlinkArea::HR;
            t.MinWrite.IntValue = 4;
            ReadTagKeys(reply("TAGCONFIG(TYPE=5,HLFUNC=5,SCALE=1,WRLO=9,WRHI=9,ALLO=0,ALHI=7,);"), t);
            return QByteArray::number(t.ValueKind) + " " + QByteArray::number(t.HostlinkFunction) + " "
                   + QByteArray::number(t.MinWrite.IntValue + t.MaxWrite.IntValue) + " "
                   + QByteArray::number(t.LowestAlarm.BoolValue) + QByteArray::number(t.HighestAlarm.BoolValue)
                   + QByteArray::number(t.HighestAlarm.IntValue);
        }) << QByteArray("0 3 0 010");
        QTest::newRow("df1: an unused file type keeps the file type and the element") << Produce([] {
            TDF1TagConfig t;
            t.FileType = DF1File::Float;
            t.FileNumber = 28;
            t.WordNumber = 175;
            ReadTagKeys(reply("TAGCONFIG(FILETYPE=135,FILENUMBER=9,ELEMENT=4,);"), t);
            const QByteArray first = QByteArray::number(t.FileType) + " " + QByteArray::number(t.FileNumber) + ":"
                                     + QByteArray::number(t.WordNumber);
            ReadTagKeys(reply("TAGCONFIG(FILENUMBER=9,ELEMENT=4,);"), t);
            return first + " / " + QByteArray::number(t.FileType) + " " + QByteArray::number(t.WordNumber);
        }) << QByteArray("5 9:175 / 4 4");
    }

    void readBack()
    {
        QFETCH(Produce, produce);
        QTEST(produce(), "expected");
    }

    // Exact requests, status texts and progress against the simulated gateway.
    void sequences_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<bool>("send");
        QTest::addColumn<QByteArray>("setcom");

        QTest::newRow("modbus send") << TagProtocol::Modbus << true
                                     << QByteArray("SETCOM(COM=0,COMTYPE=2,FORMAT=1,BAUD=19200,PARITY=2,PKTTOUT=8,"
                                                   "MSGTOUT=500,RETRIES=1,SCANTIME=250,);");
        QTest::newRow("hostlink send") << TagProtocol::Hostlink << true
                                       << QByteArray("SETCOM(COM=0,COMTYPE=3,BAUD=115200,PARITY=1,MSGTOUT=10,RETRIES=1,"
                                                     "SCANTIME=0,);");
        QTest::newRow("df1 send") << TagProtocol::DF1 << true
                                  << QByteArray("SETCOM(COM=0,COMTYPE=0,BAUD=2400,DATABITS=1,PARITY=1,MSGTOUT=1000,"
                                                "SCANTIME=100,ERRORMTHD=1,);");
        QTest::newRow("df1 get") << TagProtocol::DF1 << false << QByteArray();
    }

    void sequences()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(bool, send);
        QFETCH(QByteArray, setcom);
        RecordingPrompt prompt;
        TransferRig rig;
        const TDeviceData device = rig.relayed(protocol);
        QStringList statuses;
        QList<int> positions;
        int maximum = -1;
        TTransferObserver observer{[&](const QString &s) { statuses << s; }, [&](int m) { maximum = m; },
                                   [&](int p) { positions << p; }};
        TConfigTransfer transfer(rig.channel, device, observer);
        withConfig(protocol, [&](auto type) {
            auto config = samples::config<typename decltype(type)::type>(0);
            QVERIFY(send ? transfer.SendConfig(*config) : transfer.GetConfig(*config));
        });

        const QString word = protocol == TagProtocol::DF1 ? QStringLiteral("DF1") : protocol == TagProtocol::Modbus ? QStringLiteral("Modbus") : QStringLiteral("Hostlink");
        const QString stopping = QStringLiteral("Stopping Orvan %1 machine...").arg(word);
        QList<QByteArray> expected;
        QStringList expectedStatuses;
        if (send) {
            expected << "STOP();" << setcom << SampleSmtp << "SETTOO(TOO=0,EMAIL=a@example.com,);"
                     << "SETTOO(TOO=1,EMAIL=b@example.com,);" << "SETTOO(TOO=2,EMAIL=,);" << "SETTOO(TOO=3,EMAIL=,);"
                     << "SETTOO(TOO=4,EMAIL=,);" << "ENABLETAGADMIN();" << "DELALLTAG();" << "DISABLETAGADMIN();"
                     << "RESET();";
            expectedStatuses << stopping << "Sending COM Configuration..." << "Sending E-Mail Configuration...";
            for (int i = 1; i <= 5; ++i)
                expectedStatuses << QStringLiteral("Sending E-Mail Recipients List... (%1)").arg(i);
            expectedStatuses << "Enabling Tag Administration..." << "Deleting existing Tags..."
                             << "Disabling Tag Administration..." << "Resetting Device..." << "TRANSFER COMPLETED!";
        } else {
            expected << "GETTAGCOUNT();" << "STOP();" << "GETCOM(COM=0,);" << "GETSMTP();";
            for (int i = 0; i < 5; ++i)
                expected << "GETTOO(TOO=" + QByteArray::number(i) + ",);";
            expected << "RUN();";
            expectedStatuses << "Getting Tag Count..." << stopping << "Getting COM Configuration..."
                             << "Getting E-Mail Configuration...";
            for (int i = 1; i <= 5; ++i)
                expectedStatuses << QStringLiteral("Getting E-Mail Recipients List... (%1)").arg(i);
            expectedStatuses << "Resetting Device..." << "TRANSFER COMPLETED!";
        }
        QCOMPARE(rig.requests(), expected);
        QCOMPARE(statuses, expectedStatuses);
        QCOMPARE(maximum, send ? 12 : 9);
        QCOMPARE(positions.constLast(), maximum);
        QCOMPARE(positions.size(), maximum + 1); // 0, then one step per counted exchange
        QVERIFY(prompt.log.isEmpty());
    }

    // Send then get gives back the record, 128 varied tags of each protocol.
    void roundTrip_data() { addProtocolRows(); }

    void roundTrip()
    {
        QFETCH(TagProtocol, protocol);
        TransferRig rig;
        withConfig(protocol, [&](auto type) {
            using Config = typename decltype(type)::type;
            const auto sent = samples::config<Config>(MaxTags);
            TConfigTransfer send(rig.channel, rig.device(protocol));
            QVERIFY2(send.SendConfig(*sent), qPrintable(send.Failure().detail));
            QCOMPARE(rig.gateway(protocol).snapshot().tags.size(), MaxTags);

            auto got = std::make_unique<Config>();
            SetNewConfigDefaults(*got);
            TConfigTransfer get(rig.channel, rig.device(protocol));
            QVERIFY2(get.GetConfig(*got), qPrintable(get.Failure().detail));
            QCOMPARE(get.Position(), MaxTags + 9);

            // Off the serial bus a Modbus tag travels as Coil Status (see wireForms).
            auto expected = std::make_unique<Config>(*sent);
            if constexpr (std::is_same_v<Config, TModbusOrvanConfig>) {
                for (auto &tag : expected->Tags)
                    if (!IsSerialSource(tag.Source))
                        tag.ModbusFunction = ModbusTable::CoilStatus;
            }
            QCOMPARE(samples::difference(*got, *expected), QString());
        });
    }

    // A document's model sent and got back into a new document: the same page values and
    // the same tag rows, tags off the serial bus included.
    void throughTheDocumentModel()
    {
        TransferRig rig;
        TModbusConfigModel sent;
        auto record = samples::config<TModbusOrvanConfig>(40);
        sent.SetAllConfig(*record);
        sent.GetAllConfig(*record);
        TConfigTransfer transfer(rig.channel, rig.device(TagProtocol::Modbus));
        QVERIFY(transfer.SendConfig(*record));
        auto got = std::make_unique<TModbusOrvanConfig>();
        SetNewConfigDefaults(*got);
        QVERIFY(transfer.GetConfig(*got));
        TModbusConfigModel received;
        received.SetAllConfig(*got);
        QVERIFY(received.Serial == sent.Serial);
        QVERIFY(received.Email == sent.Email);
        QCOMPARE(received.GetTagCount(), 40);
        for (int row = 0; row < 40; ++row)
            QCOMPARE(received.TagTexts(row), sent.TagTexts(row));
    }

    // More tags than a configuration holds: refused before the gateway is stopped, so a
    // later send of the cut list cannot delete the rest. The record keeps what it had.
    void tooManyTags()
    {
        RecordingPrompt prompt;
        TransferRig rig;
        rig.gateway(TagProtocol::Hostlink).update([](sim::GatewayState &s) {
            s.tags = QList<sim::Keys>(MaxTags + 1, sim::tagKeys(sim::Hostlink, sim::TagSpec{"T"}));
            s.running = true;
        });
        const TDeviceData device = rig.relayed(TagProtocol::Hostlink);
        auto config = samples::config<THostlinkOrvanConfig>(3);
        const auto before = std::make_unique<THostlinkOrvanConfig>(*config);
        TConfigTransfer transfer(rig.channel, device);
        QVERIFY(!transfer.GetConfig(*config));
        QCOMPARE(transfer.Failure().kind, TTransferFailure::Kind::TooManyTags);
        QCOMPARE(transfer.Failure().detail, QStringLiteral("The Orvan reports 129 Tags; a configuration holds at most 128."));
        QCOMPARE(rig.requests(), QList<QByteArray>{"GETTAGCOUNT();"});
        QVERIFY(rig.gateway(TagProtocol::Hostlink).snapshot().running);
        QCOMPARE(samples::difference(*config, *before), QString());

        config->TagCount = MaxTags + 1; // a record from elsewhere: nothing is sent either
        QVERIFY(!transfer.SendConfig(*config));
        QCOMPARE(rig.requests().size(), 1);
    }
};

KOVA_TEST(TestConfigTransfer)
#include "tst_transfer.moc"
