#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;

// The number dialog of the sliders (scan time, message timeout): a typed value for a
// slider whose steps are too fine to hit with the mouse. Made once and reused.
class TfrmInputInteger : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmInputInteger(QWidget *parent = nullptr);

    // Shows the dialog titled `title` for a value within lowest..highest, starting at
    // `value`. True on OK, with `value` set to the accepted number.
    bool Execute(const QString &title, int lowest, int highest, int &value);

    // "Not a valid value.\r\nPlease enter a value between <lowest> and <highest>."
    static QString RangeMessage(int lowest, int highest);

public slots:
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *lblValue;
    QLineEdit *txtValue;
    int m_lowest = 0;
    int m_highest = 0;
    int m_value = 0;
};
