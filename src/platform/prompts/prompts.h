#pragma once
// The one way the program asks the user something: message boxes, file-open
// dialogs and the folder browser. The widget version is installed by the GUI;
// tests install a scripted one that records every request and answers it.

#include <QList>
#include <QString>
#include <QStringList>

namespace audrel {

enum class MsgIcon { None, Information, Warning, Error, Question };

// Button identifiers double as the answer codes that callers compare against
// (the classic message box result codes).
enum MsgButton : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

struct MessageRequest
{
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
    QList<int> buttons{IdOk}; // in the order shown
};

struct OpenFilesRequest
{
    QString title;
    // Description and pattern fields separated by "|":
    // "All Supported File|*.wav;*.pls|Windows waveform (*.WAV)|*.wav"
    QString filter;
    QString defaultExt;
    QString startFolder;
};

class Prompts
{
public:
    virtual ~Prompts() = default;

    // Shows a modal message and returns the identifier of the button chosen.
    virtual int message(const MessageRequest& request) = 0;
    // Lets the user pick several existing files; empty when cancelled.
    virtual QStringList openFiles(const OpenFilesRequest& request) = 0;
    // Lets the user pick a folder; empty when cancelled.
    virtual QString browseForFolder(const QString& title, const QString& startFolder) = 0;

    // The service in use. Until one is installed, a console version answers:
    // it writes the message to standard error and takes the first button.
    static Prompts& instance();
    // Installs a service (not owned) and returns the previous one; nullptr
    // brings back the console version.
    static Prompts* install(Prompts* prompts);
};

// Shorthand for the common single-message case.
int showMessage(const QString& text, const QString& caption, MsgIcon icon, QList<int> buttons = {IdOk});

// The folder browser: starts at folder when it names an existing folder (else
// empty), and returns true with the chosen path in folder, or false leaving it.
// root, when given, is where browsing starts in place of the file system's top.
bool BrowseForFolder(const QString& title, const QString& root, QString& folder);

// Splits a "description|pattern|description|pattern" filter into pairs.
QList<QPair<QString, QString>> splitFilter(const QString& filter);

} // namespace audrel
