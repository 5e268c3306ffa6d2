#pragma once
// A receiver of commands. Routing offers a command to the active view, its document, its child
// frame, the main frame and the application in turn; the first that handles it wins.
#include <string>

namespace torva {

// What a menu entry or toolbar button shows for a command.
struct CommandState {
    bool enabled = true;
    bool checked = false; // check or radio mark
    bool radio = false;   // the mark is drawn as a radio mark
    std::string text;     // the entry's text now, UTF-8 ("Undo Set E2 on 12 cells"); empty keeps it
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Returns true when the command was handled here.
    virtual bool OnCommand(int id) = 0;
    // Returns true when this target decides the command's state (and fills it).
    virtual bool OnUpdateCommand(int id, CommandState& state) = 0;
};

} // namespace torva
