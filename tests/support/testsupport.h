#pragma once
// Small helpers shared by the test areas.

#include "platform/shell/shell.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace audrel::test {

// Folder of the third-party samples, or empty when they are not beside the clone.
QString testDataDir();

// The build folder (which holds the player library and the FFmpeg module),
// with a trailing separator.
QString buildDir();

// Copies a file a test made into the folder that the environment variable
// names (when it is set), to seed a fuzz target.
void keepAsSeed(const QString& path, const char* variable);

// Writes bytes to a file, creating it; fails the test when that cannot be done.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Whether this process holds the file open.
bool isOpenHere(const QString& path);

// Whether a file is opened for writing (and closed) or written while it
// lives, as a folder watcher would see it.
class WriteWatch
{
public:
    explicit WriteWatch(const QString& path);
    ~WriteWatch();
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;
    bool sawWrite() const;

private:
    int m_fd;
};

// While it lives, no file of this process grows beyond bytes: writes past
// the limit fail with EFBIG, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct Saved;
    Saved* m_saved;
};

// A shell service that records what it was asked to open.
class RecordingShell final : public Shell
{
public:
    RecordingShell();
    ~RecordingShell();
    QStringList opened;
    QStringList played;
    bool open(const QString& target) override;
    bool playSound(const QString& path) override;

private:
    Shell* m_previous;
};

} // namespace audrel::test
