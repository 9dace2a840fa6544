#include "platform/errors.h"

#include "platform/prompts/prompts.h"

namespace audrel {

QString ExceptionText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EAudrelError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

void ShowException(std::exception_ptr error)
{
    showMessage(ExceptionText(error), QStringLiteral("Error"), MsgIcon::Error);
}

void guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        ShowException(std::current_exception());
    }
}

} // namespace audrel
