#include "config/ui/ConfigPages.h"

#include "ui_ConfigPages.h"

#include "base/Prompt.h"
#include "config/EmailConfig.h"
#include "config/ui/ConfigDialogs.h"
#include "config/ui/EMail.h"
#include "config/ui/InputInteger.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QValidator>

const QString TConfigPages::RecipientLimitMessage = QStringLiteral("Can\u00B4t add more than 5 E-Mail Addresses.");

namespace {

// Files and the wire carry 8-bit text: a character beyond Latin-1 would reach them as "?",
// so it never goes in.
class Latin1Validator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (QChar c : input)
            if (c.unicode() > 0xFF)
                return Invalid;
        return Acceptable;
    }
};

QString latin1(const QByteArray &text)
{
    return QString::fromLatin1(text);
}

void fillList(QComboBox *list, const QList<QByteArray> &items)
{
    for (const QByteArray &item : items)
        list->addItem(latin1(item));
}

QString informationLine(TagProtocol protocol)
{
    if (protocol == TagProtocol::Modbus)
        return QStringLiteral("The COM Type parameter only has effect on Orvan-K43. The Modbus Packet Timeout has effect "
                              "only in RTU Mode.");
    return QStringLiteral("The COM Type parameter only has effect on Orvan-K43.");
}

QString msText(int value)
{
    return QStringLiteral("%1 ms").arg(value);
}

} // namespace

TConfigPages::TConfigPages(TConfigModel &model, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ConfigPages>()), m_model(model)
{
    ui->setupUi(this);
    setUpProtocol();
    connectControls();
    ShowModel();
    ShowPage(TConfigPage::SerialPort);
}

TConfigPages::~TConfigPages() = default;

void TConfigPages::setUpProtocol()
{
    const TagProtocol protocol = Protocol();
    ui->lblInfo->setText(informationLine(protocol));

    // The form holds the rows of every protocol.
    if (protocol != TagProtocol::Modbus) {
        removeSerialRow(ui->lblFormat);
        removeSerialRow(ui->lblPacketTout);
        ui->cboFormat = nullptr;
        ui->txtPacketTout = nullptr;
        ui->udnPacketTout = nullptr;
    }
    if (protocol != TagProtocol::DF1) {
        removeSerialRow(ui->lblDataBits);
        removeSerialRow(ui->lblErrorMethod);
        ui->cboDataBits = nullptr;
        ui->cboErrorMethod = nullptr;
    }

    fillList(ui->cboComType, ComTypeItems());
    fillList(ui->cboBaudRate, BaudRateItems());
    fillList(ui->cboParity, ParityItems(protocol));
    if (ui->cboFormat)
        fillList(ui->cboFormat, FormatItems());
    if (ui->cboDataBits) {
        fillList(ui->cboDataBits, DataBitsItems());
        fillList(ui->cboErrorMethod, ErrorMethodItems());
    }

    using namespace ConfigRange;
    ui->sldScanTime->setRange(ScanTimeMin, ScanTimeMax);
    ui->sldScanTime->setPageStep(ScanTimePageStep);
    ui->sldScanTime->setTickPosition(QSlider::TicksBelow);
    ui->sldScanTime->setTickInterval(1000);
    ui->sldMessageTout->setRange(MessageToutMin, MessageToutMax);
    ui->sldMessageTout->setPageStep(10);
    ui->sldMessageTout->setTickPosition(QSlider::TicksBelow);
    ui->sldMessageTout->setTickInterval(200);
    if (ui->udnPacketTout) {
        ui->udnPacketTout->setBuddy(ui->txtPacketTout);
        ui->udnPacketTout->setRange(PacketToutMin, PacketToutMax);
    }
    ui->udnEMailTimeout->setBuddy(ui->txtEMailTimeout);
    ui->udnEMailTimeout->setRange(EMailTimeoutMin, EMailTimeoutMax);
    ui->udnEMailRetries->setBuddy(ui->txtEMailRetries);
    ui->udnEMailRetries->setRange(EMailRetriesMin, EMailRetriesMax);
    ui->udnEMailInterRetries->setBuddy(ui->txtEMailInterRetries);
    ui->udnEMailInterRetries->setRange(EMailInterRetriesMin, EMailInterRetriesMax);

    // Number fields as wide as their numbers; the slider ends alike, so the sliders line up.
    const QFontMetrics metrics = fontMetrics();
    for (QLineEdit *number : {ui->txtPacketTout, ui->txtEMailTimeout, ui->txtEMailRetries, ui->txtEMailInterRetries})
        if (number)
            number->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("00000")) + 16);
    int endWidth = 0;
    for (QLabel *end : {ui->lblScanTimeLow, ui->lblScanTimeHigh, ui->lblMessageToutLow, ui->lblMessageToutHigh})
        endWidth = qMax(endWidth, end->sizeHint().width());
    for (QLabel *end : {ui->lblScanTimeLow, ui->lblScanTimeHigh, ui->lblMessageToutLow, ui->lblMessageToutHigh})
        end->setMinimumWidth(endWidth);

    if (protocol == TagProtocol::Hostlink)
        ui->lblEMailRetries->setText(QStringLiteral("Retries (Times)"));
    if (protocol == TagProtocol::DF1)
        ui->txtEMailTimeout->setToolTip(QStringLiteral("Sugested: 20 secs"));
    ui->txtPass1->setMaxLength(EmailLimit::Password(protocol));
    ui->txtPass2->setMaxLength(EmailLimit::Password(protocol));
    for (QLineEdit *text : {ui->txtEMailServer, ui->txtEMailSender, ui->txtUser, ui->txtPass1, ui->txtPass2})
        text->setValidator(new Latin1Validator(text));
    // Passwords show as "*", as the gateway's own pages do.
    ui->txtPass1->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    ui->txtPass2->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));

    QStringList columns{QStringLiteral("Name")};
    for (const QByteArray &column : TagColumns(protocol))
        columns << latin1(column);
    columns << QStringLiteral("Kind"); // the value kind: a cell of every row, never shown
    QTableWidget *tags = ui->lstTags;
    tags->setColumnCount(int(columns.size()));
    tags->setHorizontalHeaderLabels(columns);
    tags->setColumnHidden(int(columns.size()) - 1, true);
    tags->horizontalHeader()->setHighlightSections(false);
    tags->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    tags->verticalHeader()->setDefaultSectionSize(tags->fontMetrics().height() + 6);
}

void TConfigPages::removeSerialRow(QWidget *label)
{
    int row = -1;
    QFormLayout::ItemRole role;
    ui->layCom->getWidgetPosition(label, &row, &role);
    if (row >= 0)
        ui->layCom->removeRow(row); // the label, the field and their layout go
}

void TConfigPages::connectControls()
{
    TSerialFields &serial = m_model.Serial;
    TEmailFields &email = m_model.Email;
    const auto list = [this](QComboBox *box, int &field) {
        if (box)
            connect(box, &QComboBox::currentIndexChanged, this, [this, &field](int index) {
                if (m_showing || index < 0)
                    return;
                field = index;
                userChanged();
            });
    };
    list(ui->cboComType, serial.ComType);
    list(ui->cboBaudRate, serial.BaudRate);
    list(ui->cboParity, serial.Parity);
    list(ui->cboFormat, serial.Format);
    list(ui->cboDataBits, serial.DataBits);
    list(ui->cboErrorMethod, serial.ErrorMethod);

    const auto slider = [this](QSlider *bar, int &field) {
        connect(bar, &QSlider::valueChanged, this, [this, &field](int value) {
            showSliderTexts();
            if (m_showing)
                return;
            field = value;
            userChanged();
        });
    };
    slider(ui->sldScanTime, serial.ScanTime);
    slider(ui->sldMessageTout, serial.MessageTimeout);

    const auto text = [this](QLineEdit *edit, QByteArray &field) {
        if (edit)
            connect(edit, &QLineEdit::textChanged, this, [this, &field](const QString &value) {
                if (m_showing)
                    return;
                field = value.toLatin1();
                userChanged();
            });
    };
    text(ui->txtPacketTout, serial.PacketTimeout);
    text(ui->txtEMailServer, email.Server);
    text(ui->txtEMailTimeout, email.Timeout);
    text(ui->txtEMailRetries, email.Retries);
    text(ui->txtEMailInterRetries, email.RetryInterval);
    text(ui->txtEMailSender, email.Sender);
    text(ui->txtUser, email.User);
    text(ui->txtPass1, email.Password);
    text(ui->txtPass2, email.Confirmation);

    for (QLineEdit *number : {ui->txtPacketTout, ui->txtEMailTimeout, ui->txtEMailRetries, ui->txtEMailInterRetries})
        if (number)
            number->installEventFilter(this);

    connect(ui->chkEMailEnable, &QCheckBox::toggled, this, &TConfigPages::OnEmailEnableClick);
    connect(ui->chkAuth, &QCheckBox::toggled, this, &TConfigPages::chkAuthClick);
    connect(ui->btnEMailAdd, &QPushButton::clicked, this, &TConfigPages::btnEMailAddClick);
    connect(ui->btnEMailEdit, &QPushButton::clicked, this, &TConfigPages::btnEMailEditClick);
    connect(ui->btnEMailDelete, &QPushButton::clicked, this, &TConfigPages::btnEMailDeleteClick);
    connect(ui->btnUp, &QToolButton::clicked, this, &TConfigPages::btnUpClick);
    connect(ui->btnDown, &QToolButton::clicked, this, &TConfigPages::btnDownClick);
    connect(ui->btnScanTime, &QPushButton::clicked, this, &TConfigPages::btnScanTimeClick);
    connect(ui->btnMessageTout, &QPushButton::clicked, this, &TConfigPages::btnMessageToutClick);

    connect(ui->tabPages, &QTabWidget::currentChanged, this, &TConfigPages::viewChanged);
    connect(ui->lstTags, &QTableWidget::itemSelectionChanged, this, &TConfigPages::viewChanged);
    connect(ui->lstTags, &QTableWidget::cellDoubleClicked, this, &TConfigPages::tagEditRequested);
}

void TConfigPages::userChanged()
{
    if (!m_showing)
        emit changed();
}

void TConfigPages::ShowModel()
{
    const bool wasShowing = m_showing;
    m_showing = true;
    const TSerialFields &serial = m_model.Serial;
    ui->cboComType->setCurrentIndex(serial.ComType);
    ui->cboBaudRate->setCurrentIndex(serial.BaudRate);
    ui->cboParity->setCurrentIndex(serial.Parity);
    if (ui->cboFormat)
        ui->cboFormat->setCurrentIndex(serial.Format);
    if (ui->cboDataBits) {
        ui->cboDataBits->setCurrentIndex(serial.DataBits);
        ui->cboErrorMethod->setCurrentIndex(serial.ErrorMethod);
    }
    ui->sldScanTime->setValue(serial.ScanTime);
    ui->sldMessageTout->setValue(serial.MessageTimeout);
    showSliderTexts();
    if (ui->txtPacketTout)
        ui->txtPacketTout->setText(latin1(serial.PacketTimeout));

    const TEmailFields &email = m_model.Email;
    ui->chkEMailEnable->setChecked(email.Enabled);
    ui->txtEMailServer->setText(latin1(email.Server));
    ui->txtEMailTimeout->setText(latin1(email.Timeout));
    ui->txtEMailRetries->setText(latin1(email.Retries));
    ui->txtEMailInterRetries->setText(latin1(email.RetryInterval));
    ui->txtEMailSender->setText(latin1(email.Sender));
    ui->chkAuth->setChecked(email.AuthEnabled);
    ui->txtUser->setText(latin1(email.User));
    ui->txtPass1->setText(latin1(email.Password));
    ui->txtPass2->setText(latin1(email.Confirmation));
    showRecipients(-1);
    ApplyEmailEnabling();

    ShowTags();
    m_showing = wasShowing;
}

void TConfigPages::showSliderTexts()
{
    ui->stScanTime->setText(msText(ui->sldScanTime->value()));
    ui->stMessageTout->setText(msText(ui->sldMessageTout->value()));
}

// --- the e-mail page ------------------------------------------------------------------------

void TConfigPages::ApplyEmailEnabling()
{
    const bool relay = EmailRelayFieldsEnabled(m_model.Email);
    const bool auth = EmailAuthFieldsEnabled(m_model.Email);
    for (QWidget *field : std::initializer_list<QWidget *>{
             ui->txtEMailServer, ui->lblEMailServer, ui->chkAuth, ui->txtEMailTimeout, ui->udnEMailTimeout,
             ui->lblEMailTimeout, ui->txtEMailRetries, ui->udnEMailRetries, ui->lblEMailRetries,
             ui->txtEMailInterRetries, ui->udnEMailInterRetries, ui->lblEMailInterRetries, ui->txtEMailSender,
             ui->lblEMailSender})
        field->setEnabled(relay);
    for (QWidget *field : std::initializer_list<QWidget *>{ui->txtUser, ui->lblUser, ui->txtPass1, ui->lblPass1,
                                                           ui->txtPass2, ui->lblPass2})
        field->setEnabled(auth);
}

void TConfigPages::OnEmailEnableClick()
{
    if (m_showing)
        return;
    m_model.Email.Enabled = ui->chkEMailEnable->isChecked();
    ApplyEmailEnabling();
    userChanged();
}

void TConfigPages::chkAuthClick()
{
    if (m_showing)
        return;
    m_model.Email.AuthEnabled = ui->chkAuth->isChecked();
    ApplyEmailEnabling();
    userChanged();
}

void TConfigPages::showRecipients(int selected)
{
    const bool wasShowing = m_showing;
    m_showing = true;
    ui->lstEMailRecipients->clear();
    for (const QByteArray &address : m_model.Email.Recipients)
        ui->lstEMailRecipients->addItem(latin1(address));
    if (selected >= 0 && selected < ui->lstEMailRecipients->count())
        ui->lstEMailRecipients->setCurrentRow(selected);
    m_showing = wasShowing;
}

int TConfigPages::selectedRecipient() const
{
    const QList<QListWidgetItem *> selected = ui->lstEMailRecipients->selectedItems();
    return selected.isEmpty() ? -1 : ui->lstEMailRecipients->row(selected.constFirst());
}

void TConfigPages::btnEMailAddClick()
{
    if (!CanAddRecipient(m_model.Email)) {
        Prompt::instance().information(RecipientLimitMessage);
        return;
    }
    TfrmEmail &dialog = ConfigDialogs::Email();
    dialog.EditMode = false;
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_model.Email.Recipients.append(dialog.EMail);
    showRecipients(int(m_model.Email.Recipients.size()) - 1);
    userChanged();
}

void TConfigPages::btnEMailEditClick()
{
    const int row = selectedRecipient();
    if (row < 0)
        return;
    TfrmEmail &dialog = ConfigDialogs::Email();
    dialog.EditMode = true;
    dialog.EMail = m_model.Email.Recipients.at(row);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_model.Email.Recipients[row] = dialog.EMail;
    showRecipients(row);
    userChanged();
}

void TConfigPages::btnEMailDeleteClick()
{
    const int row = selectedRecipient();
    if (row < 0)
        return;
    if (!Prompt::instance().confirmYesNo(QStringLiteral("Are you sure you want to delete the \"%1\" E-Mail Address?")
                                             .arg(latin1(m_model.Email.Recipients.at(row)))))
        return;
    m_model.Email.Recipients.removeAt(row);
    showRecipients(-1);
    userChanged();
}

void TConfigPages::btnUpClick()
{
    const int moved = MoveRecipient(m_model.Email, selectedRecipient(), -1);
    if (moved < 0)
        return;
    showRecipients(moved);
    userChanged();
}

void TConfigPages::btnDownClick()
{
    const int moved = MoveRecipient(m_model.Email, selectedRecipient(), 1);
    if (moved < 0)
        return;
    showRecipients(moved);
    userChanged();
}

// --- the serial page --------------------------------------------------------------------------

void TConfigPages::btnScanTimeClick()
{
    int value = ui->sldScanTime->value();
    if (ConfigDialogs::InputInteger().Execute(QStringLiteral("Scan Time (ms)"), ui->sldScanTime->minimum(),
                                              ui->sldScanTime->maximum(), value))
        ui->sldScanTime->setValue(value);
}

void TConfigPages::btnMessageToutClick()
{
    int value = ui->sldMessageTout->value();
    if (ConfigDialogs::InputInteger().Execute(QStringLiteral("Message Timeout (ms)"), ui->sldMessageTout->minimum(),
                                              ui->sldMessageTout->maximum(), value))
        ui->sldMessageTout->setValue(value);
}

bool TConfigPages::OnIntegerKeyPressGeneral(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QLatin1Char('\b');
}

bool TConfigPages::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        for (QChar c : key->text())
            if (!shortcut && c.isPrint() && !OnIntegerKeyPressGeneral(c))
                return true; // dropped
    }
    return QWidget::eventFilter(watched, event);
}

// --- checks, pages and the tag list -------------------------------------------------------------

void TConfigPages::ShowFailure(const TFieldCheck &check)
{
    Prompt::instance().error(check.Message);
    if (check.Field == TConfigField::None)
        return;
    ShowPage(FieldPage(check.Field));
    if (check.Field == TConfigField::EMailRecipients && check.Recipient >= 0)
        showRecipients(check.Recipient);
    if (auto *control = findChild<QWidget *>(QLatin1String(FieldControlName(check.Field))); control && control->isEnabled())
        control->setFocus();
}

TConfigPage TConfigPages::CurrentPage() const
{
    return TConfigPage(ui->tabPages->currentIndex());
}

void TConfigPages::ShowPage(TConfigPage page)
{
    ui->tabPages->setCurrentIndex(int(page));
}

QTableWidget *TConfigPages::TagList() const
{
    return ui->lstTags;
}

int TConfigPages::SelectedTagRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = ui->lstTags->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.constFirst().topRow();
}

void TConfigPages::SelectTagRow(int row)
{
    ui->lstTags->clearSelection();
    if (row >= 0 && row < ui->lstTags->rowCount()) {
        ui->lstTags->selectRow(row);
        ui->lstTags->scrollToItem(ui->lstTags->item(row, 0));
    }
}

void TConfigPages::ShowTags()
{
    const int selected = SelectedTagRow();
    QTableWidget *tags = ui->lstTags;
    const QSignalBlocker blocker(tags);
    tags->clearContents();
    tags->setRowCount(m_model.GetTagCount());
    for (int row = 0; row < m_model.GetTagCount(); ++row)
        ShowTagRow(row);
    tags->resizeColumnsToContents();
    SelectTagRow(selected < tags->rowCount() ? selected : -1);
    emit viewChanged();
}

void TConfigPages::ShowTagRow(int row)
{
    QTableWidget *tags = ui->lstTags;
    if (row < 0 || row >= tags->rowCount())
        return;
    const QList<QByteArray> texts = m_model.TagTexts(row); // NAME, the columns, KIND
    for (int column = 0; column < tags->columnCount(); ++column) {
        const QString text = latin1(texts.value(column));
        if (QTableWidgetItem *item = tags->item(row, column))
            item->setText(text);
        else
            tags->setItem(row, column, new QTableWidgetItem(text));
    }
}

void TConfigPages::AppendTagRow()
{
    QTableWidget *tags = ui->lstTags;
    const int row = m_model.GetTagCount() - 1;
    if (row < 0)
        return;
    tags->setRowCount(row + 1);
    ShowTagRow(row);
    tags->resizeColumnsToContents();
    SelectTagRow(row);
}

void TConfigPages::RemoveTagRow(int row)
{
    if (row < 0 || row >= ui->lstTags->rowCount())
        return;
    ui->lstTags->removeRow(row);
    ui->lstTags->clearSelection();
}
