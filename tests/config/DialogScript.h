#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QQueue>
#include <QTimer>

#include <functional>

// Answers the modal dialogs a command opens, in order, as a user would: each dialog that is
// shown gets the next step, run from the event loop once the dialog is up. A dialog shown
// with no step left is cancelled (and counted in `unexpected`), so a test never hangs on one.
//   DialogScript script;
//   script.then([](QDialog &d) { ...fill it...; ok(d); });
//   action->trigger();
class DialogScript : public QObject
{
public:
    using Step = std::function<void(QDialog &)>;

    DialogScript() { qApp->installEventFilter(this); }
    ~DialogScript() override { qApp->removeEventFilter(this); }

    DialogScript &then(Step step)
    {
        steps.enqueue(std::move(step));
        return *this;
    }

    QQueue<Step> steps;
    QStringList shown; // the window titles of the dialogs shown, in order
    int unexpected = 0;

    static void click(QDialog &dialog, const char *button)
    {
        if (auto *b = dialog.findChild<QPushButton *>(QString::fromLatin1(button)))
            b->click();
    }
    static void ok(QDialog &dialog) { click(dialog, "btnOk"); }

    // Clicks the transfer dialog's Close once its run has ended (bounded: 15 s).
    static void closeWhenDone(QDialog &dialog)
    {
        auto *timer = new QTimer(&dialog);
        auto *clock = new QElapsedTimer;
        clock->start();
        QObject::connect(timer, &QTimer::timeout, &dialog, [timer, clock, d = QPointer<QDialog>(&dialog)] {
            auto *close = d ? d->findChild<QPushButton *>(QStringLiteral("btnCancel")) : nullptr;
            const bool done = close && close->isEnabled();
            if (done)
                close->click();
            if (done || !d || clock->elapsed() > 15000) {
                timer->stop();
                timer->deleteLater();
                delete clock;
            }
        });
        timer->start(10);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QDialog *>(watched);
        // The Information window comes and goes around requests by itself.
        if (event->type() == QEvent::Show && dialog && dialog->isWindow() && !event->spontaneous()
            && !dialog->inherits("TInfoMessage")) {
            const Step step = steps.isEmpty() ? Step() : steps.dequeue();
            if (!step)
                ++unexpected;
            QTimer::singleShot(0, dialog, [this, dialog, step] {
                shown << dialog->windowTitle(); // as the dialog has set it up
                if (step)
                    step(*dialog);
                else
                    dialog->reject();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};
