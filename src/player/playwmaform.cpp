#include "player/playwmaform.h"

namespace audrel {

TPlayWMAForm::TPlayWMAForm(const QStringList& paths, QWidget* parent)
    : TMediaPlayerForm(PlayerKind::Wma, paths, parent)
{
}

} // namespace audrel
