#include "platform/shell/desktopshell.h"

#include <QDesktopServices>
#include <QUrl>

namespace audrel {

bool DesktopShell::open(const QString& target)
{
    const QUrl url = QUrl(target, QUrl::StrictMode);
    // Anything with a scheme of more than one letter is an address; the rest are paths.
    if (url.isValid() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

} // namespace audrel
