#include "app/application.h"

#include "platform/errors.h"
#include "platform/prompts/prompts.h"

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
        HandleException(std::current_exception());
    }
    return false;
}

void TApplication::HandleException(std::exception_ptr error)
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const EAudrelError& e) {
        text = e.message();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("An unexpected error occurred.");
    }
    showMessage(text, QStringLiteral("Error"), MsgIcon::Error);
}

void guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        TApplication::HandleException(std::current_exception());
    }
}

} // namespace audrel
