#pragma once
// "Audio File Property": what FFmpeg finds in a file of any kind (format,
// codec, duration, bit rate, sample rate, channels, bits per sample), the
// fields of its tags, and its cover picture when it has one. A file FFmpeg
// cannot read shows why.

#include "info/infodialog.h"

class QLabel;

namespace audrel {

class TForm_MediaProperty : public InfoDialog
{
    Q_OBJECT

public:
    // programFolder holds the FFmpeg module.
    TForm_MediaProperty(const QString& path, const QString& programFolder, QWidget* parent = nullptr);

    // The cover picture as shown; null when the file has none that can be drawn.
    const QLabel* Image_Cover() const { return m_cover; }

private:
    QLabel* m_cover = nullptr;
};

} // namespace audrel
