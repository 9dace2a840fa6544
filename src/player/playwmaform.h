#pragma once
// "Play WMA File": plays a list of WMA files through the media player.

#include "player/mediaplayerform.h"

namespace audrel {

class TPlayWMAForm : public TMediaPlayerForm
{
    Q_OBJECT

public:
    explicit TPlayWMAForm(const QStringList& paths, QWidget* parent = nullptr);
};

} // namespace audrel
