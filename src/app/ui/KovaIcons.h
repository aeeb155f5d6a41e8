#pragma once

#include <QIcon>
#include <QPixmap>

// Kova's pictures, drawn at run time so they scale and need no image files.
namespace KovaIcons {

// The tool-bar picture of an action, by the action's name; a null icon for names without one.
QIcon action(const QString &name);
// DevicesConnect has two pictures: plugged in (connected) and unplugged.
QIcon connect(bool connected);
// Large pictures of the New File dialog (index of the standard kinds table).
QIcon documentKind(int kind);
// The splash picture, 400x300.
QPixmap splash();
// The product picture of the About box.
QPixmap logo(int size);

} // namespace KovaIcons
