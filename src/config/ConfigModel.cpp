#include "config/ConfigModel.h"

#include "config/EmailConfig.h"
#include "config/TagRows.h"
#include "config/TagText.h"

namespace {

// A position from a record selects its item only when the list has one there.
void selectIfInList(int &field, int position, const QList<QByteArray> &items)
{
    if (position >= 0 && position < items.size())
        field = position;
}

template <typename Model, typename Tag>
bool getTag(const Model &model, int row, Tag &tag)
{
    if (row < 0 || row >= model.GetTagCount())
        return false;
    TagFromTexts(model.TagTexts(row), tag);
    return true;
}

// The fields every record has. Built aside, so a conversion failure leaves `record` as it was.
template <typename Model, typename Record>
Record commonRecord(const Model &model)
{
    Record record;
    record.ComType = quint8(model.Serial.ComType);
    record.BaudRate = quint8(model.Serial.BaudRate);
    record.ScanTime = model.Serial.ScanTime;
    record.MessageTimeout = model.Serial.MessageTimeout;
    record.Email = EmailConfigFromFields(model.Email);
    record.TagCount = model.GetTagCount();
    for (int i = 0; i < record.TagCount; ++i)
        model.GetTagFromList(i, record.Tags[size_t(i)]);
    return record;
}

template <typename Model, typename Record>
void setCommon(Model &model, const Record &record)
{
    selectIfInList(model.Serial.ComType, record.ComType, ComTypeItems());
    selectIfInList(model.Serial.BaudRate, record.BaudRate, BaudRateItems());
    model.Serial.ScanTime = qBound(ConfigRange::ScanTimeMin, int(record.ScanTime), ConfigRange::ScanTimeMax);
    model.Serial.MessageTimeout = qBound(ConfigRange::MessageToutMin, int(record.MessageTimeout), ConfigRange::MessageToutMax);
    model.Email = EmailFieldsFromConfig(record.Email);
    model.ClearTags();
    const int count = qBound(0, int(record.TagCount), MaxTags);
    for (int i = 0; i < count; ++i)
        model.AddTagToList(record.Tags[size_t(i)]);
}

} // namespace

void TConfigModel::Clear()
{
    Serial = {};
    Email = {};
    m_rows.clear();
}

TFieldCheck TConfigModel::Validate() const
{
    if (m_protocol == TagProtocol::Modbus) {
        if (auto check = CheckNumberField(TConfigField::PacketTimeout, Serial.PacketTimeout, ConfigRange::PacketToutMin,
                                          ConfigRange::PacketToutMax, QStringLiteral("Invalid Packet Timeout."));
            !check)
            return check;
    }
    return CheckEmailFields(m_protocol, Email);
}

bool TConfigModel::TagExists(const QByteArray &name, int excludedRow) const
{
    for (int row = 0; row < m_rows.size(); ++row)
        if (row != excludedRow && m_rows.at(row).constFirst() == name)
            return true;
    return false;
}

QList<QByteArray> TConfigModel::TagTexts(int row) const
{
    return m_rows.value(row);
}

QByteArray TConfigModel::TagCaption(int row) const
{
    return m_rows.value(row).value(0);
}

QList<QByteArray> TConfigModel::TagCells(int row) const
{
    return m_rows.value(row).mid(1);
}

QList<QByteArray> TConfigModel::fitted(const QList<QByteArray> &texts) const
{
    const qsizetype size = TagKeys(m_protocol).size();
    QList<QByteArray> row = texts.mid(0, size);
    row.resize(size);
    return row;
}

bool TConfigModel::AppendTagTexts(const QList<QByteArray> &texts)
{
    if (m_rows.size() >= MaxTags)
        return false;
    m_rows.append(fitted(texts));
    return true;
}

bool TConfigModel::SetTagTexts(int row, const QList<QByteArray> &texts)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    m_rows[row] = fitted(texts);
    return true;
}

void TConfigModel::DeleteTagAt(int row)
{
    if (row >= 0 && row < m_rows.size())
        m_rows.removeAt(row);
}

// --- Modbus ------------------------------------------------------------------------------

bool TModbusConfigModel::AddTagToList(const TModbusTagConfig &tag) { return AppendTagTexts(TagToTexts(tag)); }
bool TModbusConfigModel::ReplaceTagAt(int row, const TModbusTagConfig &tag) { return SetTagTexts(row, TagToTexts(tag)); }
bool TModbusConfigModel::GetTagFromList(int row, TModbusTagConfig &tag) const { return getTag(*this, row, tag); }

void TModbusConfigModel::GetAllConfig(TModbusOrvanConfig &record) const
{
    TModbusOrvanConfig filled = commonRecord<TModbusConfigModel, TModbusOrvanConfig>(*this);
    filled.Parity = quint8(Serial.Parity);
    filled.Format = quint8(Serial.Format);
    filled.PacketTimeout = ParseIntegerText(Serial.PacketTimeout);
    record = std::move(filled);
}

void TModbusConfigModel::SetAllConfig(const TModbusOrvanConfig &record)
{
    selectIfInList(Serial.Parity, record.Parity, ParityItems(Protocol()));
    selectIfInList(Serial.Format, record.Format, FormatItems());
    Serial.PacketTimeout = QByteArray::number(record.PacketTimeout);
    setCommon(*this, record);
}

// --- Hostlink ----------------------------------------------------------------------------

bool THostlinkConfigModel::AddTagToList(const THostlinkTagConfig &tag) { return AppendTagTexts(TagToTexts(tag)); }
bool THostlinkConfigModel::ReplaceTagAt(int row, const THostlinkTagConfig &tag) { return SetTagTexts(row, TagToTexts(tag)); }
bool THostlinkConfigModel::GetTagFromList(int row, THostlinkTagConfig &tag) const { return getTag(*this, row, tag); }

void THostlinkConfigModel::GetAllConfig(THostlinkOrvanConfig &record) const
{
    THostlinkOrvanConfig filled = commonRecord<THostlinkConfigModel, THostlinkOrvanConfig>(*this);
    filled.Parity = quint8(Serial.Parity);
    record = std::move(filled);
}

void THostlinkConfigModel::SetAllConfig(const THostlinkOrvanConfig &record)
{
    selectIfInList(Serial.Parity, record.Parity, ParityItems(Protocol()));
    setCommon(*this, record);
}

// --- DF1 ---------------------------------------------------------------------------------

bool TDF1ConfigModel::AddTagToList(const TDF1TagConfig &tag) { return AppendTagTexts(TagToTexts(tag)); }
bool TDF1ConfigModel::ReplaceTagAt(int row, const TDF1TagConfig &tag) { return SetTagTexts(row, TagToTexts(tag)); }
bool TDF1ConfigModel::GetTagFromList(int row, TDF1TagConfig &tag) const { return getTag(*this, row, tag); }

void TDF1ConfigModel::GetAllConfig(TDF1OrvanConfig &record) const
{
    TDF1OrvanConfig filled = commonRecord<TDF1ConfigModel, TDF1OrvanConfig>(*this);
    // The gateway's DF1 parity codes: 0 none, 2 even.
    filled.Parity = Serial.Parity == 0 ? 0 : 2;
    filled.DataBits = Serial.DataBits == 0 ? 7 : 8;
    filled.ErrorMethod = quint8(Serial.ErrorMethod);
    record = std::move(filled);
}

void TDF1ConfigModel::SetAllConfig(const TDF1OrvanConfig &record)
{
    if (record.Parity == 0)
        Serial.Parity = 0;
    else if (record.Parity == 1 || record.Parity == 2)
        Serial.Parity = 1;
    Serial.DataBits = record.DataBits == 7 ? 0 : 1;
    selectIfInList(Serial.ErrorMethod, record.ErrorMethod, ErrorMethodItems());
    setCommon(*this, record);
}
