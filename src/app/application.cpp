#include "app/application.h"

#include "platform/errors.h"

namespace audrel {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name: the window system would add it to every window's title,
    // and each window's title is its own caption alone.
    setApplicationName(QStringLiteral("Audrel"));
    setApplicationVersion(QLatin1String(AUDREL_VERSION));
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
