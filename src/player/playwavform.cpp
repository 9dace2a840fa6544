#include "player/playwavform.h"

namespace audrel {

TPlayWavForm::TPlayWavForm(const QStringList& paths, const QString& programFolder, QWidget* parent)
    : TMediaPlayerForm(PlayerKind::Wav, paths, programFolder, parent)
{
}

} // namespace audrel
