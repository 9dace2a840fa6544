#pragma once
// "Play Wav File": plays a list of WAV files through the media player.

#include "player/mediaplayerform.h"

namespace audrel {

class TPlayWavForm : public TMediaPlayerForm
{
    Q_OBJECT

public:
    // The program folder holds the FFmpeg module.
    TPlayWavForm(const QStringList& paths, const QString& programFolder, QWidget* parent = nullptr);
};

} // namespace audrel
