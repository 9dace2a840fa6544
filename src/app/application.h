#pragma once
// The application object: its default exception handler shows the message of
// any exception that escapes an event handler and keeps the program running.

#include <QApplication>
#include <QIcon>

namespace audrel {

// The program's own icon, at every size it is drawn in.
QIcon ProgramIcon();

class TApplication : public QApplication
{
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace audrel
