#pragma once
// What the program remembers between runs that is not a setting: kept in
// $XDG_STATE_HOME/Audrel/state.ini (by default ~/.local/state/Audrel), never
// in Options.ini. Failing to keep it costs nothing but the memory.

#include <QString>

namespace audrel {

class UiState
{
public:
    // The folder the Add command's open dialog was last left in; empty at first.
    static QString LastAddFolder();
    static void setLastAddFolder(const QString& folder);

private:
    static QString path();
};

} // namespace audrel
