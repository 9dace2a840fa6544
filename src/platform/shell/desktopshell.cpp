#include "platform/shell/desktopshell.h"

#include "platform/audio/deviceoutput.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace audrel {

DesktopShell::DesktopShell() = default;
DesktopShell::~DesktopShell() = default;

bool DesktopShell::open(const QString& target)
{
    const QUrl url = QUrl(target, QUrl::StrictMode);
    // Anything with a scheme of more than one letter is an address; the rest are paths.
    if (url.isValid() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

bool DesktopShell::playSound(const QString& path)
{
    if (!QFileInfo(path).isFile()) return false;
    if (!m_sound) {
        // The sound server shows it as the program's, as the players' streams.
        audio::DeviceOutput::nameStreams();
        m_sound = std::make_unique<QSoundEffect>();
    }
    m_sound->stop();
    m_sound->setSource(QUrl::fromLocalFile(path));
    m_sound->play();
    return true;
}

} // namespace audrel
