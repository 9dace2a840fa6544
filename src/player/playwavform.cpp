#include "player/playwavform.h"

namespace audrel {

TPlayWavForm::TPlayWavForm(const QStringList& paths, QWidget* parent)
    : TMediaPlayerForm(PlayerKind::Wav, paths, parent)
{
}

} // namespace audrel
