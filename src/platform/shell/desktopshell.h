#pragma once

#include "platform/shell/shell.h"

namespace audrel {

// Opens targets through the desktop's handlers (xdg-open and friends).
class DesktopShell final : public Shell
{
public:
    bool open(const QString& target) override;
};

} // namespace audrel
