#include "base/ui/OkCancel.h"

#include <QHBoxLayout>
#include <QPushButton>

OkCancelButtons MakeOkCancelButtons(QWidget *parent)
{
    auto *ok = new QPushButton(QStringLiteral("OK"), parent);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), parent);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    auto *layout = new QHBoxLayout;
    layout->addStretch();
    layout->addWidget(ok);
    layout->addWidget(cancel);
    return {ok, cancel, layout};
}
