#pragma once
// "Play WMA File": plays a list of WMA files through the media player.

#include "player/mediaplayerform.h"

namespace audrel {

class TPlayWMAForm : public TMediaPlayerForm
{
    Q_OBJECT

public:
    // The program folder holds the FFmpeg module.
    TPlayWMAForm(const QStringList& paths, const QString& programFolder, QWidget* parent = nullptr);
};

} // namespace audrel
