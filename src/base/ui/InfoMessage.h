#pragma once

#include <QDialog>

class QLabel;

// The shared "Information" window: one line of text while Kova waits. The locator shows
// it and closes it by timer; the HTTP channel shows it around each request. It is
// application-modal: the other windows take no input while it is up.
class TInfoMessage : public QDialog
{
    Q_OBJECT

public:
    explicit TInfoMessage(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

    // Shows without blocking and paints at once, so the text is visible during a request.
    void showNow();

protected:
    bool event(QEvent *event) override;

private:
    QLabel *m_label;
    QString m_text;
};
