#include "player/playwmaform.h"

namespace audrel {

TPlayWMAForm::TPlayWMAForm(const QStringList& paths, const QString& programFolder, QWidget* parent)
    : TMediaPlayerForm(PlayerKind::Wma, paths, programFolder, parent)
{
}

} // namespace audrel
