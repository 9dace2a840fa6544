#pragma once
// Exceptions for unexpected conditions, and the default exception handler's
// way of reporting them. They travel up to the application's default
// exception handler, which shows their message in an error box and keeps the
// program running; guarded() does the same for one handler.

#include <QString>

#include <exception>
#include <functional>
#include <stdexcept>

namespace audrel {

class EAudrelError : public std::runtime_error
{
public:
    explicit EAudrelError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A file could not be opened, read, written, truncated or replaced.
class EFileError : public EAudrelError
{
public:
    using EAudrelError::EAudrelError;
};

// The text an exception is reported with.
QString ExceptionText(std::exception_ptr error);

// Shows the message of an exception in an error box (caption "Error"),
// through the prompts service.
void ShowException(std::exception_ptr error);

// Runs a handler; an exception it raises is shown as the default exception
// handler shows it, and whatever called the handler carries on.
void guarded(const std::function<void()>& handler);

} // namespace audrel
