#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// An IPv4 address typed in four boxes of up to three digits, read and written as one
// dotted text.
class TEditIPAddr : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool AcceptOctal READ AcceptOctal WRITE SetAcceptOctal)

public:
    explicit TEditIPAddr(QWidget *parent = nullptr);

    QString Text() const;
    void SetText(const QString &text);

    bool AcceptOctal() const { return m_acceptOctal; }
    void SetAcceptOctal(bool accept) { m_acceptOctal = accept; }

    void focusFirst();

    // Makes label the field's buddy and names the field, and each of its four boxes, by the
    // label's caption: a screen reader then tells "IP" from "Netmask".
    void SetLabel(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_boxes[4];
    bool m_acceptOctal = false;
};
