#pragma once

#include <QDialog>

// The About box: product, version and the operating system Kova runs on.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    // "<pretty OS name>" and "Build <kernel version> <architecture>" of this machine.
    static QString OperatingSystemText();
    static QString BuildText();
};
