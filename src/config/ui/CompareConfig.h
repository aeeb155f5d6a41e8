#pragma once

#include "base/DeviceData.h"
#include "config/ConfigCompare.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

// The differences between a configuration document and the connected gateway, grouped by
// page ("Serial Port", "E-Mails", "Tags"; a changed tag with its fields below it), with a
// summary line above. Shown modally over the document; Close ends it.
class TfrmCompareConfig : public QDialog
{
    Q_OBJECT

public:
    TfrmCompareConfig(const QString &documentTitle, const TDeviceData &device, const TConfigDifferences &differences,
                      QWidget *parent = nullptr);

    static const QString Title; // "Compare With Orvan"

private:
    void fill(const TConfigDifferences &differences);

    QLabel *lblSummary = nullptr;
    QTreeWidget *lstDifferences = nullptr;
};

// Shows the window for a document's comparison and waits until it is closed.
void ShowConfigDifferences(QWidget *document, const TDeviceData &device, const TConfigDifferences &differences);
