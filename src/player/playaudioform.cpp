#include "player/playaudioform.h"

namespace audrel {

TPlayAudioForm::TPlayAudioForm(const QStringList& paths, const QString& programFolder, QWidget* parent)
    : TMediaPlayerForm(PlayerKind::Audio, paths, programFolder, parent)
{
}

} // namespace audrel
