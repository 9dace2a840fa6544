#include "app/application.h"

#include "platform/errors.h"

namespace audrel {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name: the window system would add it to every window's title,
    // and each window's title is its own caption alone.
    setApplicationName(QStringLiteral("Audrel"));
    setApplicationVersion(QLatin1String(AUDREL_VERSION));
    // Desktops match the windows to the installed audrel.desktop, its name and icon.
    setDesktopFileName(QStringLiteral("audrel"));
    setWindowIcon(ProgramIcon());
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/audrel-%1.png").arg(size), QSize(size, size));
    return icon;
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
    }
    return false;
}

} // namespace audrel
