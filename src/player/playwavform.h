#pragma once
// "Play Wav File": plays a list of WAV files through the media player.

#include "player/mediaplayerform.h"

namespace audrel {

class TPlayWavForm : public TMediaPlayerForm
{
    Q_OBJECT

public:
    explicit TPlayWavForm(const QStringList& paths, QWidget* parent = nullptr);
};

} // namespace audrel
