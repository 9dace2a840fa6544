#pragma once
// The application object: its default exception handler shows the message of
// any exception that escapes an event handler and keeps the program running.

#include <QApplication>

#include <exception>
#include <functional>

namespace audrel {

class TApplication : public QApplication
{
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of an exception in an error box.
    static void HandleException(std::exception_ptr error);
};

// Runs a handler; an exception it raises is shown by the default exception
// handler, and whatever called the handler carries on.
void guarded(const std::function<void()>& handler);

} // namespace audrel
