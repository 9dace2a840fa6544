#pragma once
// Where a conversion writes its result before the result takes its
// destination's name: a hidden file in the destination's folder, renamed into
// place only when it is complete. A destination that existed before is thus
// replaced whole or not at all, and the source is never opened for writing,
// even when the destination is another name of the same file.
//
// The temporary name is made from the destination's name, so it always fits
// in the folder and a later run of the same destination finds (and reuses)
// what a killed run left; RemoveStale removes such a leftover at the start of
// a run. While a conversion writes it, it holds a lock on it: a second
// conversion of the same destination at the same time is refused. The name is
// predictable, so what is found under it is used only when it is a regular
// file of one link: a hard link planted there in a shared folder, or a pipe,
// is refused and left alone, never truncated.

#include <QString>

namespace audrel {

class DestinationFile
{
public:
    DestinationFile() = default;
    ~DestinationFile(); // lets go of the lock; the file stays unless committed or discarded
    DestinationFile(const DestinationFile&) = delete;
    DestinationFile& operator=(const DestinationFile&) = delete;

    // Refuses a destination that is the source itself or a folder, creates
    // the destination's folder when it is missing, and creates the empty
    // temporary file. Returns what is wrong, for the user, or an empty string.
    QString prepare(const QString& source, const QString& dest);

    const QString& dest() const { return m_dest; }
    // The file to write the result to; empty until prepared.
    const QString& tempPath() const { return m_temp; }

    // Gives the complete result its destination's name. Returns what is
    // wrong, or an empty string.
    QString commit();
    // Removes the temporary file.
    void discard();
    // Keeps the temporary file where it is and lets go of it.
    void release();

    // The temporary file that a destination is written to.
    static QString TempPathFor(const QString& dest);
    // Removes the temporary file of dest that a killed run left, after
    // taking its lock; one that a conversion is writing (its lock is held),
    // or that is not a regular file of one link, is left alone. True when
    // one was removed.
    static bool RemoveStale(const QString& dest);

private:
    QString m_dest;
    QString m_temp;
    int m_fd = -1;
};

} // namespace audrel
