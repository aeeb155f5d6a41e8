#pragma once

#include "config/KovaTypes.h"

// A tag as the texts of its fields, in the order of the tag section keys of a
// configuration file. The document's tag list holds exactly these texts (NAME as the
// row caption, KIND as the hidden last cell) and the file stores them under these keys,
// so a tag becomes a record only when it is edited, removed or sent.
//
//   Modbus:   NAME SOURCE UNITID ADDRESS TYPE ENRON BITPOS <value> TRAP KIND
//   Hostlink: NAME SOURCE UNITID REGTABLE ADDRESS TYPE BITPOS <value> KIND
//   DF1:      NAME SOURCE FILETYPE FILENUMBER WORDNUMBER TYPE BITPOS <value> KIND
//   <value>:  READONLY LIMITS WRMIN WRMAX ALARM ALMIN ALMAX EMAIL SCALE FACTORA FACTORB

const QList<QByteArray> &TagKeys(TagProtocol protocol);

QList<QByteArray> TagToTexts(const TModbusTagConfig &tag);
QList<QByteArray> TagToTexts(const THostlinkTagConfig &tag);
QList<QByteArray> TagToTexts(const TDF1TagConfig &tag);

// Fill `tag` from texts in key order (missing trailing texts read as empty). Codes that
// match no item read as 0; flags are true exactly for "Yes"; KIND is read first and
// chooses how the four limits read. Malformed numbers throw EConvertError and leave
// `tag` untouched. A Modbus address whose first character is no table digit keeps the
// table `tag` had.
//
// Two readings go beyond the texts themselves, so that a record survives the trip:
// - a non-serial Modbus tag's address "00000" carries no table, so its table is the one
//   its source fixes (an input reads back as Input Status, not Coil Status);
// - a KIND outside 0..2 is replaced by the kind the record's fields give.
void TagFromTexts(const QList<QByteArray> &texts, TModbusTagConfig &tag);
void TagFromTexts(const QList<QByteArray> &texts, THostlinkTagConfig &tag);
void TagFromTexts(const QList<QByteArray> &texts, TDF1TagConfig &tag);
