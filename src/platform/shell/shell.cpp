#include "platform/shell/shell.h"

namespace audrel {

namespace {

class NoShell final : public Shell
{
public:
    bool open(const QString&) override { return false; }
    bool playSound(const QString&) override { return false; }
};

NoShell g_none;
Shell* g_current = nullptr;

} // namespace

Shell& Shell::instance()
{
    return g_current ? *g_current : static_cast<Shell&>(g_none);
}

Shell* Shell::install(Shell* shell)
{
    Shell* previous = g_current;
    g_current = shell;
    return previous;
}

} // namespace audrel
