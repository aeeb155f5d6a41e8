#include "config/ui/TagsDialog.h"

#include "base/ConvertError.h"
#include "base/Prompt.h"
#include "base/ui/OkCancel.h"
#include "config/ui/InternalTags.h"

#include "ui_TagsScalePage.h"
#include "ui_TagsValuePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

namespace {

template<typename Member>
struct TFieldMember
{
    TagField field;
    Member TTagForm::*member;
};

// How each field's control maps onto the form. The Modbus address is apart: its box
// shows the table's digit in front of what the user types.
const TFieldMember<QByteArray> TextFields[] = {
    {TagField::TagName, &TTagForm::tagName},         {TagField::UnitID, &TTagForm::unitID},
    {TagField::Address, &TTagForm::address},         {TagField::FileNumber, &TTagForm::fileNumber},
    {TagField::WordNumber, &TTagForm::wordNumber},   {TagField::BitPosition, &TTagForm::bitPosition},
    {TagField::MinWrite, &TTagForm::minWrite},       {TagField::MaxWrite, &TTagForm::maxWrite},
    {TagField::LowestAlarm, &TTagForm::lowestAlarm}, {TagField::HighestAlarm, &TTagForm::highestAlarm},
    {TagField::FactorA, &TTagForm::factorA},         {TagField::FactorB, &TTagForm::factorB},
};
const TFieldMember<int> ListFields[] = {
    {TagField::Source, &TTagForm::source},
    {TagField::Type, &TTagForm::type},
    {TagField::Table, &TTagForm::table},
    {TagField::Scale, &TTagForm::scale},
};
const TFieldMember<bool> CheckFields[] = {
    {TagField::Register32, &TTagForm::register32}, {TagField::ReadOnly, &TTagForm::readOnly},
    {TagField::WriteLimits, &TTagForm::writeLimits}, {TagField::AlarmEnable, &TTagForm::alarmEnable},
    {TagField::SendEMail, &TTagForm::sendEMail},   {TagField::SendTrap, &TTagForm::sendTrap},
    {TagField::AlarmValue, &TTagForm::alarmValue}, {TagField::AlarmEdge, &TTagForm::alarmEdge},
};

const char *fieldName(TagProtocol protocol, TagField field)
{
    switch (field) {
    case TagField::TagName: return "txtTagName";
    case TagField::Source: return "cboSource";
    case TagField::Internal: return "btnInternal";
    case TagField::UnitID: return "txtUnitID";
    case TagField::Type: return "cboType";
    case TagField::Table:
        switch (protocol) {
        case TagProtocol::Modbus: return "cboModbusFunction";
        case TagProtocol::Hostlink: return "cboHostlinkFunction";
        case TagProtocol::DF1: return "cboFileType";
        }
        break;
    case TagField::Address: return "txtAddress";
    case TagField::FileNumber: return "txtFileNumber";
    case TagField::WordNumber: return "txtWordNumber";
    case TagField::BitPosition: return "txtBitPosition";
    case TagField::Register32: return "chk32Bit";
    case TagField::ReadOnly: return "chkReadOnly";
    case TagField::WriteLimits: return "chkWriteLimits";
    case TagField::MinWrite: return "txtMinWrite";
    case TagField::MaxWrite: return "txtMaxWrite";
    case TagField::AlarmEnable: return "chkAlarmEnable";
    case TagField::SendEMail: return "chkSendEMail";
    case TagField::SendTrap: return "chkSendTrap";
    case TagField::AlarmValue: return "chkAlarmValue";
    case TagField::AlarmEdge: return "chkAlarmEdge";
    case TagField::LowestAlarm: return "txtLowestAlarm";
    case TagField::HighestAlarm: return "txtHighestAlarm";
    case TagField::Positive: return "rdoPositive";
    case TagField::Negative: return "rdoNegative";
    case TagField::Scale: return "cboScale";
    case TagField::FactorA: return "txtFactorA";
    case TagField::FactorB: return "txtFactorB";
    case TagField::Count: break;
    }
    return "";
}

void fill(QComboBox *list, const QList<QByteArray> &items)
{
    for (const QByteArray &item : items)
        list->addItem(QString::fromLatin1(item));
}

// A signal going up (0 -> 1) or down (1 -> 0), drawn beside the edge choices.
QPixmap edgePicture(bool rising, const QColor &colour)
{
    QPixmap pixmap(40, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1.6));
    const qreal low = 16, high = 4;
    const qreal from = rising ? low : high, to = rising ? high : low;
    p.drawPolyline(QPolygonF({QPointF(2, from), QPointF(20, from), QPointF(20, to), QPointF(38, to)}));
    const qreal tip = rising ? high + 2 : low - 2, back = rising ? 4 : -4;
    p.drawPolyline(QPolygonF({QPointF(16, tip + back), QPointF(20, tip), QPointF(24, tip + back)}));
    return pixmap;
}

void setTextIfChanged(QLineEdit *edit, const QByteArray &text)
{
    const QString value = QString::fromLatin1(text);
    if (edit->text() != value)
        edit->setText(value);
}

} // namespace

TTagsDialog::TTagsDialog(TagProtocol protocol, TfrmInternalTags *picker, QWidget *parent)
    : QDialog(parent), m_picker(picker)
{
    m_state.form.protocol = protocol;
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("tabPages"));
}

void TTagsDialog::setPages(QWidget *locationPage, QWidget *alarmPage)
{
    auto *valuePage = new QWidget;
    Ui::TagsValuePage().setupUi(valuePage);
    auto *scalePage = new QWidget;
    Ui::TagsScalePage().setupUi(scalePage);
    m_pages->addTab(locationPage, QStringLiteral("Tag Configuration"));
    m_pages->addTab(valuePage, QStringLiteral("Tag Value"));
    m_pages->addTab(alarmPage, QStringLiteral("Alarm"));
    m_pages->addTab(scalePage, QStringLiteral("Scale"));

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons.layout);
    connect(buttons.ok, &QPushButton::clicked, this, &TTagsDialog::btnOkClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);

    const QColor ink = palette().color(QPalette::WindowText);
    if (auto *picture = findChild<QLabel *>(QStringLiteral("imgPositive")))
        picture->setPixmap(edgePicture(true, ink));
    if (auto *picture = findChild<QLabel *>(QStringLiteral("imgNegative")))
        picture->setPixmap(edgePicture(false, ink));

    findFields();
    fillLists();
    connectHandlers();
    setMinimumWidth(440);
}

void TTagsDialog::findFields()
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i] = findChild<QWidget *>(QString::fromLatin1(fieldName(Protocol(), TagField(i))));
    for (const char *name : {"txtUnitID", "txtBitPosition", "txtFileNumber", "txtWordNumber"})
        m_keyFilters.insert(findChild<QLineEdit *>(QString::fromLatin1(name)), KeyFilter::Digits);
    qobject_cast<QLineEdit *>(fieldWidget(TagField::TagName))->setMaxLength(MaxTagNameLength);
    // The Modbus address is a masked box; the others take plain digits.
    if (Protocol() != TagProtocol::Modbus)
        m_keyFilters.insert(fieldWidget(TagField::Address), KeyFilter::Digits);
    for (TagField field : {TagField::MinWrite, TagField::MaxWrite, TagField::LowestAlarm, TagField::HighestAlarm,
                           TagField::FactorA, TagField::FactorB})
        m_keyFilters.insert(fieldWidget(field), KeyFilter::Number);
    m_keyFilters.remove(nullptr);
    for (QObject *edit : m_keyFilters.keys())
        edit->installEventFilter(this);
    if (Protocol() == TagProtocol::Modbus)
        fieldWidget(TagField::Address)->installEventFilter(this);
}

void TTagsDialog::fillLists()
{
    fill(qobject_cast<QComboBox *>(fieldWidget(TagField::Source)), SourceItems(Protocol()));
    fill(qobject_cast<QComboBox *>(fieldWidget(TagField::Type)), TypeItems(Protocol()));
    fill(qobject_cast<QComboBox *>(fieldWidget(TagField::Table)), TableItems(Protocol()));
    fill(qobject_cast<QComboBox *>(fieldWidget(TagField::Scale)), ScaleItems());
}

void TTagsDialog::connectHandlers()
{
    const auto list = [this](TagField field, void (TTagsDialog::*slot)()) {
        connect(qobject_cast<QComboBox *>(fieldWidget(field)), &QComboBox::currentIndexChanged, this, slot);
    };
    const auto box = [this](TagField field, void (TTagsDialog::*slot)()) {
        connect(qobject_cast<QCheckBox *>(fieldWidget(field)), &QCheckBox::toggled, this, slot);
    };
    list(TagField::Source, &TTagsDialog::cboSourceChange);
    list(TagField::Type, &TTagsDialog::cboTypeChange);
    list(TagField::Scale, &TTagsDialog::cboScaleChange);
    box(TagField::ReadOnly, &TTagsDialog::chkReadOnlyClick);
    box(TagField::WriteLimits, &TTagsDialog::chkWriteLimitsClick);
    box(TagField::AlarmEnable, &TTagsDialog::chkAlarmEnableClick);
    // The alarm kind boxes of the Hostlink and DF1 dialogs.
    if (fieldWidget(TagField::AlarmValue)) {
        box(TagField::AlarmValue, &TTagsDialog::chkAlarmValueClick);
        box(TagField::AlarmEdge, &TTagsDialog::chkAlarmEdgeClick);
    }
    connect(qobject_cast<QPushButton *>(fieldWidget(TagField::Internal)), &QPushButton::clicked, this,
            &TTagsDialog::btnInternalClick);
    connect(qobject_cast<QLineEdit *>(fieldWidget(TagField::TagName)), &QLineEdit::textChanged, this,
            &TTagsDialog::normaliseTagName);
}

TTagForm TTagsDialog::CurrentForm()
{
    readControls();
    return m_state.form;
}

bool TTagsDialog::OnIntegerKeyPressGeneral(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QLatin1Char('\b');
}

bool TTagsDialog::OnFloatKeyPressGeneral(QChar key)
{
    static const QString signs = QStringLiteral("-.,");
    return OnIntegerKeyPressGeneral(key) || signs.contains(key) || QLocale().decimalPoint().contains(key);
}

bool TTagsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == fieldWidget(TagField::Address)
        && Protocol() == TagProtocol::Modbus) {
        // A digit typed before the table's digit would be taken as that fixed digit and lost:
        // typing starts after it.
        auto *edit = static_cast<QLineEdit *>(watched);
        if (edit->hasSelectedText() && edit->selectionStart() == 0)
            edit->setSelection(1, edit->selectionLength() - 1);
        else if (edit->cursorPosition() == 0)
            edit->setCursorPosition(1);
    }
    if (event->type() == QEvent::KeyPress && m_keyFilters.contains(watched)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        const bool digitsOnly = m_keyFilters.value(watched) == KeyFilter::Digits;
        for (QChar c : key->text()) {
            if (shortcut || !c.isPrint())
                continue;
            if (!(digitsOnly ? OnIntegerKeyPressGeneral(c) : OnFloatKeyPressGeneral(c)))
                return true; // dropped
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTagsDialog::normaliseTagName()
{
    if (m_applying)
        return;
    auto *edit = qobject_cast<QLineEdit *>(fieldWidget(TagField::TagName));
    const QString name = TypedTagName(edit->text());
    if (name == edit->text())
        return;
    const int cursor = edit->cursorPosition() - int(edit->text().size() - name.size());
    const QSignalBlocker blocker(edit);
    edit->setText(name);
    edit->setCursorPosition(qMax(0, cursor));
}

QByteArray TTagsDialog::addressDigits() const
{
    auto *edit = qobject_cast<QLineEdit *>(fieldWidget(TagField::Address));
    QString digits = edit->displayText().mid(1);
    while (digits.endsWith(QLatin1Char(' ')))
        digits.chop(1);
    return digits.toLatin1();
}

void TTagsDialog::setAddress(int table, const QByteArray &digits)
{
    auto *edit = qobject_cast<QLineEdit *>(fieldWidget(TagField::Address));
    const QString prefix = QString(QLatin1Char(ModbusTableDigit(table)));
    // Changing the mask re-reads the old text, digit and all: set the text afterwards.
    const QString mask = QStringLiteral("\\") + prefix + QStringLiteral("#####");
    if (edit->inputMask() == mask && addressDigits() == digits)
        return;
    edit->setInputMask(mask);
    edit->setText(prefix + QString::fromLatin1(digits));
}

void TTagsDialog::readControls()
{
    TTagForm &f = m_state.form;
    for (const auto &[field, member] : TextFields)
        if (auto *edit = qobject_cast<QLineEdit *>(fieldWidget(field)))
            f.*member = edit->text().toLatin1();
    if (Protocol() == TagProtocol::Modbus)
        f.address = addressDigits();
    for (const auto &[field, member] : ListFields)
        f.*member = qobject_cast<QComboBox *>(fieldWidget(field))->currentIndex();
    for (const auto &[field, member] : CheckFields)
        if (auto *box = qobject_cast<QCheckBox *>(fieldWidget(field)))
            f.*member = box->isChecked();
    f.negativeEdge = qobject_cast<QRadioButton *>(fieldWidget(TagField::Negative))->isChecked();
}

void TTagsDialog::applyState()
{
    const TTagForm &f = m_state.form;
    m_applying = true;
    const bool modbus = Protocol() == TagProtocol::Modbus;
    for (const auto &[field, member] : TextFields)
        if (auto *edit = qobject_cast<QLineEdit *>(fieldWidget(field)); edit && !(modbus && field == TagField::Address))
            setTextIfChanged(edit, f.*member);
    if (modbus)
        setAddress(f.table, f.address);
    for (const auto &[field, member] : ListFields)
        qobject_cast<QComboBox *>(fieldWidget(field))->setCurrentIndex(f.*member);
    for (const auto &[field, member] : CheckFields)
        if (auto *box = qobject_cast<QCheckBox *>(fieldWidget(field)))
            box->setChecked(f.*member);
    qobject_cast<QRadioButton *>(fieldWidget(f.negativeEdge ? TagField::Negative : TagField::Positive))->setChecked(true);

    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i])
            m_fields[i]->setEnabled(m_state.enabled(TagField(i)));
    // The Modbus alarm page shows the edges of a digital tag or the limits of any other.
    if (Protocol() == TagProtocol::Modbus) {
        const bool edges = m_state.alarmMode == 1;
        for (TagField field : {TagField::Positive, TagField::Negative})
            fieldWidget(field)->setVisible(edges);
        for (TagField field : {TagField::LowestAlarm, TagField::HighestAlarm})
            fieldWidget(field)->setVisible(!edges);
    }
    // Captions and pictures follow their field.
    for (QLabel *label : findChildren<QLabel *>()) {
        QWidget *field = label->buddy();
        if (label->objectName() == QLatin1String("imgPositive"))
            field = fieldWidget(TagField::Positive);
        else if (label->objectName() == QLatin1String("imgNegative"))
            field = fieldWidget(TagField::Negative);
        if (!field)
            continue;
        label->setEnabled(field->isEnabled());
        label->setVisible(!field->isHidden());
    }
    m_applying = false;
}

void TTagsDialog::run(const std::function<void(TTagFormState &)> &handler)
{
    if (m_applying)
        return;
    readControls();
    handler(m_state);
    applyState();
}

void TTagsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TTagsDialog::FormShow()
{
    InitControls();
    m_pages->setCurrentIndex(0);
    fieldWidget(TagField::Source)->setFocus();
}

void TTagsDialog::showFault(const TTagFault &fault)
{
    QWidget *field = fieldWidget(fault.field);
    for (int i = 0; field && i < m_pages->count(); ++i)
        if (m_pages->widget(i)->isAncestorOf(field))
            m_pages->setCurrentIndex(i);
    Prompt::instance().error(fault.message);
    if (field && field->isEnabled() && !field->isHidden())
        field->setFocus();
}

bool TTagsDialog::Validate()
{
    readControls();
    const TTagVerdict verdict = ValidateTag(m_state.form);
    for (const QString &warning : verdict.warnings)
        Prompt::instance().warning(warning);
    if (verdict.fault)
        showFault(*verdict.fault);
    return verdict.passed();
}

void TTagsDialog::btnOkClick()
{
    if (!Validate())
        return;
    try {
        StoreTag(m_state.form);
    } catch (const EConvertError &error) {
        // The checks read every number the record takes; this only guards their gaps.
        Prompt::instance().error(error.message());
        return;
    }
    accept();
}

void TTagsDialog::btnInternalClick()
{
    std::optional<QByteArray> picked;
    if (m_picker && m_picker->exec() == QDialog::Accepted)
        picked = m_picker->SelectedTagName();
    run([&](TTagFormState &s) { InternalTagPicked(s, picked ? &*picked : nullptr); });
}

void TTagsDialog::cboSourceChange()
{
    run(SourceChanged);
}

void TTagsDialog::cboTypeChange()
{
    run(TypeChanged);
}

void TTagsDialog::chkReadOnlyClick()
{
    run(ReadOnlyClicked);
}

void TTagsDialog::chkWriteLimitsClick()
{
    run(WriteLimitsClicked);
}

void TTagsDialog::chkAlarmEnableClick()
{
    run(AlarmEnableClicked);
}

void TTagsDialog::chkAlarmValueClick()
{
    run(AlarmValueClicked);
}

void TTagsDialog::chkAlarmEdgeClick()
{
    run(AlarmEdgeClicked);
}

void TTagsDialog::cboScaleChange()
{
    run(ScaleChanged);
}
