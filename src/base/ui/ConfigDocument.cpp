#include "base/ui/ConfigDocument.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QStackedWidget>
#include <QTabWidget>

bool TConfigDocument::TagsPageShown() const
{
    const QWidget *page = findChild<QWidget *>(QStringLiteral("tbsTags"));
    if (!page)
        return false;
    // A QTabWidget keeps its pages in an inner QStackedWidget.
    for (const QWidget *w = page->parentWidget(); w && w != this; w = w->parentWidget()) {
        if (auto *tabs = qobject_cast<const QTabWidget *>(w))
            return tabs->currentWidget() == page;
        if (auto *stack = qobject_cast<const QStackedWidget *>(w); stack && !qobject_cast<const QTabWidget *>(w->parentWidget()))
            return stack->currentWidget() == page;
    }
    return false;
}

int TConfigDocument::SelectedTagRow() const
{
    return SelectedRowOf(this, "lstTags");
}

int SelectedRowOf(const QWidget *parent, const char *name)
{
    auto *view = parent->findChild<QAbstractItemView *>(QString::fromLatin1(name));
    if (!view || !view->selectionModel())
        return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.constFirst().row();
    const QModelIndexList cells = view->selectionModel()->selectedIndexes();
    return cells.isEmpty() ? -1 : cells.constFirst().row();
}
