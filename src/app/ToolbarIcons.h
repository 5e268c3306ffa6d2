#pragma once
// The toolbar icons of the program, drawn in code on a 16 x 15 grid and scaled to any size.
#include <QIcon>

namespace torva {

// The icon of a toolbar command, or a null icon when the command has none.
QIcon ToolbarIcon(int id);

} // namespace torva
