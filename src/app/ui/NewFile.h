#pragma once

#include "base/ui/DocumentKinds.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;

// "New File": the document kinds as large icons; OK or a double click picks one.
class TfrmNewFile : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmNewFile(QWidget *parent = nullptr);

    // Lists the kinds; kinds not available are shown but cannot be chosen.
    void SetKinds(const TDocumentKinds &kinds);
    // The chosen kind after OK, or -1.
    int SelectedKind() const;

    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void lstNewFilesDblClick(QListWidgetItem *item);

    QListWidget *m_list;
};
