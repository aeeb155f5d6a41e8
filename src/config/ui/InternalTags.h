#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// "Select Internal Tag": the gateway's internal values, one of which an internal tag
// reads. One picker serves the three tag dialogs and keeps its selection between uses.
class TfrmInternalTags : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmInternalTags(QWidget *parent = nullptr);

    // The name of the selected row; empty when none is selected.
    QByteArray SelectedTagName() const;

public slots:
    void lstInternalTagsSelectItem();
    void btnOkClick();

private:
    QTreeWidget *lstInternalTags;
    QLabel *stDescription;
    QPushButton *btnOk;
};
