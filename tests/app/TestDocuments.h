#pragma once

#include "base/ui/ConfigDocument.h"
#include "app/ui/StandardKinds.h"

#include <QFile>
#include <QQueue>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

// Small stand-ins for the real document kinds: they keep their tags and files in plain
// widgets and log every call the main window makes.
class TTestConfigDocument : public TConfigDocument
{
    Q_OBJECT

public:
    TTestConfigDocument()
    {
        auto *layout = new QVBoxLayout(this);
        pages = new QTabWidget(this);
        for (const char *name : {"tbsSerial", "tbsEmail", "tbsTags"}) {
            auto *page = new QWidget;
            page->setObjectName(QString::fromLatin1(name));
            pages->addTab(page, QString::fromLatin1(name));
        }
        tags = new QTreeWidget(pages->widget(2));
        tags->setObjectName(QStringLiteral("lstTags"));
        (new QVBoxLayout(pages->widget(2)))->addWidget(tags);
        layout->addWidget(pages);
    }

    void New(const QString &name) override
    {
        calls << QStringLiteral("New ") + name;
        SetFileName(ProgramFolder() + QLatin1Char('/') + name);
        setWindowTitle(QStringLiteral("Test Configuration - ") + name);
        SetSaved(true);
        SetNamed(false);
    }
    void Open(const QString &path) override
    {
        calls << QStringLiteral("Open ") + path;
        SetFileName(path);
        setWindowTitle(QStringLiteral("Test Configuration - ") + path);
        SetNamed(true);
    }
    bool GetFromOrvan(const TDeviceData &device) override
    {
        calls << QStringLiteral("GetFromOrvan ") + QString::fromLatin1(device.MAC);
        return true;
    }
    bool UpdateFile() override
    {
        calls << QStringLiteral("UpdateFile");
        if (!writable)
            return false;
        SetSaved(true);
        return true;
    }
    bool SaveAs() override
    {
        calls << QStringLiteral("SaveAs");
        return false;
    }
    bool SendToOrvan(const TDeviceData &device) override
    {
        calls << QStringLiteral("SendToOrvan ") + QString::fromLatin1(device.MAC);
        return true;
    }
    void CompareWithOrvan(const TDeviceData &device) override
    {
        calls << QStringLiteral("CompareWithOrvan ") + QString::fromLatin1(device.MAC);
    }

    int GetTagCount() const override { return tags->topLevelItemCount(); }
    bool TagExists(const QString &name, int row) const override
    {
        for (int i = 0; i < tags->topLevelItemCount(); ++i)
            if (i != row && tags->topLevelItem(i)->text(0) == name)
                return true;
        return false;
    }
    QString TagNameAt(int row) const override { return tags->topLevelItem(row)->text(0); }
    void DeleteSelectedTag() override { delete tags->topLevelItem(SelectedTagRow()); }
    bool LoadTagIntoDialog(int row) override
    {
        dialogName = TagNameAt(row);
        return true;
    }
    bool ExecuteTagDialog(bool editMode) override
    {
        dialogModes << editMode;
        if (dialogScript.isEmpty())
            return false;
        const std::optional<QString> answer = dialogScript.dequeue();
        if (!answer)
            return false;
        dialogName = *answer;
        return true;
    }
    QString DialogTagName() const override { return dialogName; }
    void AddDialogTagToList() override { new QTreeWidgetItem(tags, {dialogName}); }
    void ReplaceSelectedWithDialogTag() override { tags->topLevelItem(SelectedTagRow())->setText(0, dialogName); }
    void ExportTags() override { calls << QStringLiteral("ExportTags"); }
    void ImportTags() override { calls << QStringLiteral("ImportTags"); }

    void addTags(int count)
    {
        for (int i = 0; i < count; ++i)
            new QTreeWidgetItem(tags, {QStringLiteral("TAG%1").arg(i)});
    }
    void selectRow(int row)
    {
        tags->clearSelection();
        if (row >= 0) {
            tags->setCurrentItem(tags->topLevelItem(row));
            tags->topLevelItem(row)->setSelected(true);
        }
    }

    QTabWidget *pages;
    QTreeWidget *tags;
    QStringList calls;
    QQueue<std::optional<QString>> dialogScript; // a name to enter, or nullopt for Cancel
    QList<bool> dialogModes;                      // EditMode of each showing
    QString dialogName;
    bool writable = true;
};

class TTestSiteDocument : public TMDIChild
{
    Q_OBJECT

public:
    TTestSiteDocument()
    {
        files = new QTreeWidget(this);
        files->setObjectName(QStringLiteral("lstFiles"));
        (new QVBoxLayout(this))->addWidget(files);
    }
    void New(const QString &name) override
    {
        calls << QStringLiteral("New ") + name;
        SetFileName(ProgramFolder() + QLatin1Char('/') + name);
        setWindowTitle(QStringLiteral("Test Site - ") + name);
    }
    void Open(const QString &path) override
    {
        calls << QStringLiteral("Open ") + path;
        SetFileName(path);
        SetNamed(true);
        setWindowTitle(QStringLiteral("Test Site - ") + path);
    }
    bool GetFromOrvan(const TDeviceData &device) override
    {
        calls << QStringLiteral("GetFromOrvan ") + QString::fromLatin1(device.MAC);
        return true;
    }
    bool UpdateFile() override { SetSaved(true); return true; }
    bool SaveAs() override { return false; }
    bool SendToOrvan(const TDeviceData &device) override
    {
        calls << QStringLiteral("SendToOrvan ") + QString::fromLatin1(device.MAC);
        return true;
    }
    void AddFile() { calls << QStringLiteral("AddFile"); }
    void ExtractFile() { calls << QStringLiteral("ExtractFile"); }
    void ViewFile() { calls << QStringLiteral("ViewFile"); }
    void RemoveFile() { calls << QStringLiteral("RemoveFile"); }

    QTreeWidget *files;
    QStringList calls;
};

// A file whose first line is the given word is recognised by that kind.
inline std::function<bool(const QString &)> firstLineIs(const QByteArray &word)
{
    return [word](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.readLine().trimmed() == word;
    };
}

// The standard table with test documents plugged into the Modbus, DF1 and web site kinds;
// Hostlink stays unavailable.
inline TDocumentKinds TestDocumentKinds()
{
    TDocumentKinds kinds = StandardDocumentKinds();
    kinds[KindHostlink].create = nullptr; // a kind without its document
    PlugDocument<TTestConfigDocument>(kinds[KindModbus], firstLineIs("MODBUS"));
    PlugDocument<TTestConfigDocument>(kinds[KindDF1], firstLineIs("DF1"));
    PlugSiteDocument<TTestSiteDocument>(kinds[KindWebSite], firstLineIs("SITE"));
    return kinds;
}
