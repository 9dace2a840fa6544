#pragma once

#include "platform/shell/shell.h"

#include <memory>

class QSoundEffect;

namespace audrel {

// Opens targets through the desktop's handlers (xdg-open and friends) and
// plays sounds through the default audio device.
class DesktopShell final : public Shell
{
public:
    DesktopShell();
    ~DesktopShell() override;

    bool open(const QString& target) override;
    bool playSound(const QString& path) override;

private:
    // Created on the first sound; it must outlive the sound it plays.
    std::unique_ptr<QSoundEffect> m_sound;
};

} // namespace audrel
