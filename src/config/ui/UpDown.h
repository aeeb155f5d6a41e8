#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The up/down arrows beside a number field (udnPacketTout, udnEMailTimeout ...). The field
// keeps its own text, so an empty or out-of-range entry stays until the document's checks
// report it; the arrows (and the Up/Down keys in the field) step from the field's value,
// taken into the range, by one.
class TUpDown : public QWidget
{
    Q_OBJECT

public:
    explicit TUpDown(QWidget *parent = nullptr);

    void setBuddy(QLineEdit *field);
    void setRange(int lowest, int highest);
    int lowest() const { return m_lowest; }
    int highest() const { return m_highest; }

    // Steps the field by `delta` within the range.
    void step(int delta);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_lowest = 0;
    int m_highest = 99;
};
