#pragma once

#include "config/ConfigFields.h"

// E-mail relaying settings: the address and host checks, the page's enabling rule and
// checks, the recipient list moves, and the page <-> TEmailConfig conversions.

// Trimmed, not empty, only A-Z a-z 0-9 "-" "." "_".
bool IsValidHostName(const QByteArray &text);
// Trimmed, not empty, only A-Z a-z 0-9 "-" "." "_" "@", at least one "@". Nothing more
// (two "@" pass), as the gateway's own check.
bool IsValidEmailAddress(const QByteArray &text);

// Enabling rule: server, authentication box, the three number fields and the sender follow
// "Enable relaying"; user and both passwords need authentication as well. The recipient
// list and its buttons are always enabled.
inline bool EmailRelayFieldsEnabled(const TEmailFields &fields) { return fields.Enabled; }
inline bool EmailAuthFieldsEnabled(const TEmailFields &fields) { return fields.Enabled && fields.AuthEnabled; }

// The e-mail checks of a document's validation, in the protocol's order and with its
// texts: server, delivery timeout, retries, time between retries, sender, then recipients
// and authentication (DF1 checks authentication before the recipients). The first failure
// ends them. A number field that does not read as an integer ends them with the
// conversion error.
TFieldCheck CheckEmailFields(TagProtocol protocol, const TEmailFields &fields);

// Recipient list commands. CanAddRecipient: fewer than MaxRecipients entries (else the
// window shows "Can´t add more than 5 E-Mail Addresses."). MoveRecipient exchanges entry
// `index` with its neighbour above (-1) or below (+1) and returns the entry's new index,
// or -1 when nothing moved (no such entry, or already first/last: the document stays unmodified).
bool CanAddRecipient(const TEmailFields &fields);
int MoveRecipient(TEmailFields &fields, int index, int direction);

// Page -> record: texts as typed, SmtpPassword from the password field, the three numbers
// read as integers (EConvertError when one does not), RecipientCount and the recipients in
// slots 0.., the remaining slots empty. At most MaxRecipients are carried.
TEmailConfig EmailConfigFromFields(const TEmailFields &fields);
// Record -> page: both password fields from SmtpPassword, numbers in decimal, the first
// RecipientCount recipients (limited to 0..MaxRecipients).
TEmailFields EmailFieldsFromConfig(const TEmailConfig &config);
