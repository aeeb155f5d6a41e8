#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

// Drives a dialog through its controls, found by objectName, as a user would:
//   "txtUnitID=12"        clears the field and types the text (key filters apply)
//   "cboSource=Internal"  picks the list entry with that text ("cboSource=#4" by position)
//   "chkReadOnly=1"       ticks (or with 0 unticks) the box
//   "rdoNegative"         clicks the button (any name without "=")
//   "tabPages=2"          brings the page forward
// and reads controls back for comparison:
//   "name=value"          the field's text, the list's text, a label's text, or "1"/"0" for a box
//   "name:enabled", "name:disabled", "name:visible", "name:hidden"
namespace TagDialogDriver {

inline QWidget *control(QWidget &dialog, const QString &name)
{
    auto *widget = dialog.findChild<QWidget *>(name);
    if (!widget)
        qWarning("no control named %s", qPrintable(name));
    return widget;
}

// False (with a failed check) when a step names no control or no entry.
inline bool apply(QWidget &dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        const qsizetype equals = step.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? step : step.left(equals);
        const QString value = equals < 0 ? QString() : step.mid(equals + 1);
        QWidget *widget = control(dialog, name);
        if (!widget)
            return false;
        if (equals < 0) {
            qobject_cast<QAbstractButton *>(widget)->click();
        } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->clear();
            // Character by character, so that characters beyond ASCII are typed too.
            for (QChar c : value)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else if (auto *list = qobject_cast<QComboBox *>(widget)) {
            const int index = value.startsWith(QLatin1Char('#')) ? value.mid(1).toInt() : list->findText(value);
            if (index < 0) {
                qWarning("%s has no entry %s", qPrintable(name), qPrintable(value));
                return false;
            }
            list->setCurrentIndex(index);
        } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
            box->setChecked(value == QLatin1String("1"));
        } else if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
            tabs->setCurrentIndex(value.toInt());
        } else {
            return false;
        }
    }
    return true;
}

inline QString valueOf(QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *list = qobject_cast<QComboBox *>(widget))
        return list->currentText();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return QString();
}

// The expectations that do not hold, each as "expected (actual)".
inline QStringList mismatches(QWidget &dialog, const QStringList &expectations)
{
    QStringList wrong;
    for (const QString &expected : expectations) {
        const qsizetype colon = expected.indexOf(QLatin1Char(':'));
        const qsizetype equals = expected.indexOf(QLatin1Char('='));
        const bool isState = colon >= 0 && (equals < 0 || colon < equals);
        const QString name = expected.left(isState ? colon : equals);
        QWidget *widget = control(dialog, name);
        QString actual;
        if (!widget)
            actual = QStringLiteral("missing");
        else if (!isState)
            actual = name + QLatin1Char('=') + valueOf(widget);
        else if (expected.endsWith(QLatin1String("abled")))
            actual = name + (widget->isEnabled() ? QStringLiteral(":enabled") : QStringLiteral(":disabled"));
        else
            actual = name + (widget->isHidden() ? QStringLiteral(":hidden") : QStringLiteral(":visible"));
        if (actual != expected)
            wrong << QStringLiteral("%1 (%2)").arg(expected, actual);
    }
    return wrong;
}

} // namespace TagDialogDriver
