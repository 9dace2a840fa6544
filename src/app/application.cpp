#include "app/application.h"

#include "platform/errors.h"

namespace audrel {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Audrel"));
    setApplicationDisplayName(QStringLiteral("Audrel"));
    setApplicationVersion(QStringLiteral("1.88"));
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
