#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "config/ui/InternalTags.h"
#include "config/ui/ModbusTags.h"

#include <QComboBox>
#include <QDir>
#include <QTabWidget>
#include <QTest>

// Pictures of the tag dialogs' pages and the internal tag picker, for a person to check
// that every caption is readable. Runs only when KOVA_SHOTS_DIR names a folder.
class TestTagDialogShots : public QObject
{
    Q_OBJECT

private slots:
    void shots()
    {
        const QString dir = qEnvironmentVariable("KOVA_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set KOVA_SHOTS_DIR to write the screenshots");
        QDir().mkpath(dir);
        RecordingPrompt prompt;
        TfrmInternalTags picker;
        const auto save = [&](QWidget &window, const QString &name) {
            QVERIFY(window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
        };

        TfrmModbusTags modbus(&picker);
        modbus.show();
        auto *pages = modbus.findChild<QTabWidget *>(QStringLiteral("tabPages"));
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            save(modbus, QStringLiteral("modbus-%1").arg(page));
        }
        // A digital tag: the alarm page offers the edges.
        pages->setCurrentIndex(0);
        modbus.findChild<QComboBox *>(QStringLiteral("cboModbusFunction"))->setCurrentIndex(ModbusTable::CoilStatus);
        pages->setCurrentIndex(2);
        save(modbus, QStringLiteral("modbus-2-digital"));
        modbus.close();

        picker.show();
        save(picker, QStringLiteral("internal-tags"));
        picker.close();
    }
};

KOVA_TEST(TestTagDialogShots)
#include "tst_tagdialog_shots.moc"
