#include "TestRegistry.h"

#include "base/Prompt.h"

#include <QTest>

// The windows' file filters as Qt's file dialogs take them.
class TestPromptFilter : public QObject
{
    Q_OBJECT

private slots:
    void qtFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("patterns added") << "Orvan Configuration File|*.ovc|Orvan Web Site|*.qsw"
                                        << "Orvan Configuration File (*.ovc);;Orvan Web Site (*.qsw)";
        QTest::newRow("patterns named") << "HTML Files (*.html)|*.html" << "HTML Files (*.html)";
        QTest::newRow("several patterns") << "Pictures|*.gif;*.jpg" << "Pictures (*.gif *.jpg)";
        // Files without a dot ("robots") are files too.
        QTest::newRow("all files named") << "All Files (*.*)|*.*" << "All Files (*)";
        QTest::newRow("all files added") << "Everything|*.*" << "Everything (*)";
        QTest::newRow("all files among others") << "Mixed|*.txt;*.*" << "Mixed (*.txt *)";
        QTest::newRow("dot-star suffix kept") << "Backups|*.*~" << "Backups (*.*~)";
    }

    void qtFilter()
    {
        QFETCH(QString, filter);
        QTEST(Prompt::qtFilter(filter), "qt");
    }
};

KOVA_TEST(TestPromptFilter)
#include "tst_prompt.moc"
