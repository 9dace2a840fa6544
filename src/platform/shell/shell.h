#pragma once
// Shell actions: opening a folder, a document or an address with the desktop's
// default handler, and playing a short sound. The GUI installs the desktop
// version; tests record the calls.

#include <QString>

namespace audrel {

class Shell
{
public:
    virtual ~Shell() = default;

    // Opens a local file or folder (a path) or an address ("https:", "mailto:").
    // Returns whether the desktop accepted the request.
    virtual bool open(const QString& target) = 0;

    // Starts playing a WAV file and returns at once, without waiting for the
    // sound to end; a sound still playing is replaced. Returns whether it started.
    virtual bool playSound(const QString& path) = 0;

    // The service in use; until one is installed, requests are refused.
    static Shell& instance();
    // Installs a service (not owned) and returns the previous one.
    static Shell* install(Shell* shell);
};

} // namespace audrel
