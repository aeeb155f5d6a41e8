#include "TestRegistry.h"

#include "base/DeviceData.h"
#include "device/Firmware.h"

#include <QTest>

class TestFirmwareBounds : public QObject
{
    Q_OBJECT

private slots:
    void compareVersions_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("equal") << QByteArray("2.0.3") << QByteArray("2.0.3") << 0;
        QTest::newRow("numeric, not text") << QByteArray("2.0.10") << QByteArray("2.0.9") << 1;
        QTest::newRow("major wins") << QByteArray("3.0.0") << QByteArray("2.9.99") << 1;
        QTest::newRow("missing part is 0") << QByteArray("2.0") << QByteArray("2.0.0") << 0;
        QTest::newRow("suffix ignored") << QByteArray("2.1.0-TS") << QByteArray("2.1.0") << 0;
        QTest::newRow("three digits") << QByteArray("3.0.100") << QByteArray("3.0.99") << 1;
        QTest::newRow("lower") << QByteArray("2.0.2") << QByteArray("2.0.3") << -1;
    }
    void compareVersions()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, order);
        QCOMPARE(CompareVersions(a, b), order);
        QCOMPARE(CompareVersions(b, a), -order);
    }

    void compatibility_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("compatible");
        QTest::newRow("modbus lowest") << QByteArray("2.0.3") << int(FamilyModbus) << true;
        QTest::newRow("modbus below") << QByteArray("2.0.2-TS") << int(FamilyModbus) << false;
        QTest::newRow("hostlink lowest") << QByteArray("2.0.3") << int(FamilyHostlink) << true;
        QTest::newRow("df1 2.0.3 is below its 2.0.5") << QByteArray("2.0.3") << int(FamilyDF1) << false;
        QTest::newRow("df1 lowest") << QByteArray("2.0.5-TS") << int(FamilyDF1) << true;
        QTest::newRow("highest") << QByteArray("3.0.99") << int(FamilyModbus) << true;
        QTest::newRow("above") << QByteArray("3.0.100") << int(FamilyModbus) << false;
        QTest::newRow("next major") << QByteArray("3.1") << int(FamilyDF1) << false;
        QTest::newRow("old major") << QByteArray("1.9.9") << int(FamilyModbus) << false;
        QTest::newRow("unknown version not judged") << QByteArray("") << int(FamilyModbus) << true;
        QTest::newRow("text not judged") << QByteArray("beta") << int(FamilyModbus) << true;
    }
    void compatibility()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, family);
        QFETCH(bool, compatible);
        QCOMPARE(IsFirmwareCompatible(version, quint8(family)), compatible);
    }
};

KOVA_TEST(TestFirmwareBounds)
#include "tst_firmware.moc"
