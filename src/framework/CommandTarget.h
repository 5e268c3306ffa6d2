#pragma once
// A receiver of commands. Routing offers a command to the active view, its document, its child
// frame, the main frame and the application in turn; the first that handles it wins.
namespace torva {

// What a menu entry or toolbar button shows for a command.
struct CommandState {
    bool enabled = true;
    bool checked = false;  // check or radio mark
    bool radio = false;    // the mark is drawn as a radio mark
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
