#pragma once

#include "monitor/MonitorText.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Write new Value": asks the value to write to the watched tag, by its kind: ON/OFF for a
// digital tag, an edit for an integer or a real.
class TfrmWriteValue : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmWriteValue(QWidget *parent = nullptr);

    // The tag's name as the group's caption, its kind, and the value on screen (empty
    // before any was read: the dialog then starts at 0 or OFF).
    void Prepare(const QString &tagName, quint8 kind, const QString &valueShown);
    // The value entered, valid after OK.
    const TWriteValue &Value() const { return m_value; }

public slots:
    void btnOkClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    quint8 m_kind = 1;
    TWriteValue m_value;

    QGroupBox *grpWriteValue;
    QRadioButton *rdoOn;
    QRadioButton *rdoOff;
    QLabel *lblValue;
    QLineEdit *txtValue;
    QPushButton *btnOk;
    QPushButton *btnCancel;
};
