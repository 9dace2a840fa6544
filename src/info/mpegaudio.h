#pragma once
// Analysis of MPEG audio files (Layers I to III of MPEG 1, 2 and 2.5): the
// first frame header confirmed by a second one a frame later, the header
// fields, the playing time (from the bit rate or a Xing header), and the
// ID3v1 tag in the last 128 bytes, which can also be written and removed.
// One object serves many files; each LoadFile replaces Data.

#include "info/mpeginfo.h"

#include <QElapsedTimer>
#include <QString>
#include <QTime>

#include <cstdint>
#include <functional>

namespace audrel {

class BinaryFile;

class TMPEGAudio
{
public:
    // Called when an analysis ends with a non-zero result; its return value
    // becomes the result, and 4 (Retry) runs the analysis again.
    using TErrorEvent = std::function<uint16_t(const TMPEGInfo& data)>;

    TMPEGAudio();

    TMPEGInfo Data;
    QString DefaultArtist = QStringLiteral("Unknown Artist");
    QString DefaultTitle = QStringLiteral("Unknown Title");
    // Defaults to an error message "Error openning file: " + FileName with the
    // buttons Cancel, Retry and Ignore, shown through the prompts service.
    TErrorEvent OnError;
    // File position of the confirmed first frame header.
    int64_t HeaderPos = 0;

    // Stores the path and analyses the file; the results are in Data.
    void LoadFile(const QString& path);
    // Analyses the file named in Data.FileName. 0: a confirmed frame header was
    // found (also for a file of 5 bytes or less, with Data reset); -1: no
    // confirmed header, missing file or failed read; > 0: errno from opening.
    int32_t Analyze();

    // Decodes a frame header word (the four file bytes read big-endian) into
    // the header fields of Data and returns IsValid().
    bool DecodeHeader(uint32_t header);
    // Data describes usable MPEG audio.
    bool IsValid() const;

    bool HasTag() const;
    QString TitleOrDefault() const;
    QString ArtistOrDefault() const;
    QString VersionText() const;
    QString LayerText() const;
    QString ModeText() const;
    // Duration as hours, minutes and seconds; invalid when it reaches 24 hours.
    QTime DurationTime() const;
    // Samples in one frame of the decoded version and layer (0 when unknown).
    int SamplesPerFrame() const;

    // Tag fields; they reach the file with WriteTag.
    void setTitle(const QString& text);
    void setArtist(const QString& text);
    void setAlbum(const QString& text);
    void setComment(const QString& text);
    void setYear(const QString& text);
    void setGenre(uint8_t genre);
    void setTrack(uint8_t track);

    // Both return 0 on success, -1 when the file is missing, or errno from
    // opening it for writing, and end with a new analysis of the file. A
    // failure after the file was opened throws EFileError.
    int32_t WriteTag();
    int32_t RemoveTag();

    // Resets Data to the values that mean "nothing analysed".
    void ResetData();

private:
    int32_t analyzeOnce();
    void resetKeepingFile();
    bool searchHeader(BinaryFile& file, uint32_t& word);
    int32_t readXing(BinaryFile& file);
    bool readTag(BinaryFile& file);
    void pumpEvents();

    int64_t m_fileLength = 0; // the size of the file being analysed
    QElapsedTimer m_pumpTimer;
};

} // namespace audrel
