#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "config/ui/DF1Tags.h"
#include "config/ui/HostlinkTags.h"
#include "config/ui/InternalTags.h"
#include "config/ui/ModbusTags.h"

#include <QComboBox>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

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
        TfrmHostlinkTags hostlink(&picker);
        TfrmDF1Tags df1(&picker);
        for (TTagsDialog *dialog : std::initializer_list<TTagsDialog *>{&modbus, &hostlink, &df1}) {
            const QString name = ProtocolWord(dialog->Protocol()).toLower();
            dialog->show();
            auto *pages = dialog->findChild<QTabWidget *>(QStringLiteral("tabPages"));
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                save(*dialog, QStringLiteral("%1-%2").arg(name).arg(page));
            }
            dialog->close();
        }
        // A digital Modbus tag: the alarm page offers the edges.
        modbus.show();
        modbus.findChild<QComboBox *>(QStringLiteral("cboModbusFunction"))->setCurrentIndex(ModbusTable::CoilStatus);
        modbus.findChild<QTabWidget *>(QStringLiteral("tabPages"))->setCurrentIndex(2);
        save(modbus, QStringLiteral("modbus-2-digital"));
        modbus.close();

        picker.show();
        auto *list = picker.findChild<QTreeWidget *>(QStringLiteral("lstInternalTags"));
        list->setCurrentItem(list->topLevelItem(1));
        save(picker, QStringLiteral("internal-tags"));
        picker.close();
    }
};

KOVA_TEST(TestTagDialogShots)
#include "tst_tagdialog_shots.moc"
