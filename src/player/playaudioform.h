#pragma once
// "Play Audio File": plays a list of audio files of any kind FFmpeg decodes
// (those of the Any Format list and their results) through the media player.

#include "player/mediaplayerform.h"

namespace audrel {

class TPlayAudioForm : public TMediaPlayerForm
{
    Q_OBJECT

public:
    // The program folder holds the FFmpeg module.
    TPlayAudioForm(const QStringList& paths, const QString& programFolder, QWidget* parent = nullptr);
};

} // namespace audrel
