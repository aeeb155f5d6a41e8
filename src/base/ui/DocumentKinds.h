#pragma once

#include "base/ui/ChildWin.h"

#include <QIcon>
#include <QString>

#include <functional>
#include <vector>

// The four document kinds, in the order the New File dialog lists them and OpenFile tries them.
// Each kind plugs in by giving its factory and its file recogniser; until then its entry is
// listed disabled and OpenFile skips it.
struct TDocumentKind
{
    enum class Role { Configuration, WebSite };

    QString caption;   // New File dialog
    QString extension; // of new documents, with the dot
    Role role = Role::Configuration;
    quint8 family = 0; // configuration kinds: the protocol family it must be sent to
    QIcon icon;

    std::function<TMDIChild *()> create;               // a new, parentless document
    std::function<bool(const QString &path)> recognise; // the file's content is of this kind

    // Web site kinds: the document's own file commands.
    std::function<void(TMDIChild *)> addFile, extractFile, viewFile, removeFile;

    bool available() const { return bool(create); }
};

using TDocumentKinds = std::vector<TDocumentKind>;

// Indexes of the standard table.
enum DocumentKindIndex { KindModbus = 0, KindHostlink = 1, KindDF1 = 2, KindWebSite = 3 };

// Plugs a document class into a kind: Doc needs a default constructor. For web site kinds Doc
// also provides AddFile(), ExtractFile(), ViewFile() and RemoveFile().
template<class Doc>
void PlugDocument(TDocumentKind &kind, std::function<bool(const QString &)> recognise)
{
    kind.create = [] { return new Doc; };
    kind.recognise = std::move(recognise);
}

template<class Doc>
void PlugSiteDocument(TDocumentKind &kind, std::function<bool(const QString &)> recognise)
{
    PlugDocument<Doc>(kind, std::move(recognise));
    kind.addFile = [](TMDIChild *d) { static_cast<Doc *>(d)->AddFile(); };
    kind.extractFile = [](TMDIChild *d) { static_cast<Doc *>(d)->ExtractFile(); };
    kind.viewFile = [](TMDIChild *d) { static_cast<Doc *>(d)->ViewFile(); };
    kind.removeFile = [](TMDIChild *d) { static_cast<Doc *>(d)->RemoveFile(); };
}
