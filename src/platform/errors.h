#pragma once
// Exceptions for unexpected conditions. They travel up to the application's
// default exception handler, which shows their message and keeps the program running.

#include <QString>
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

} // namespace audrel
