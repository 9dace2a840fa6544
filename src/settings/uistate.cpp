#include "settings/uistate.h"

#include "platform/errors.h"
#include "platform/ini/inifile.h"

#include <QDir>
#include <QFileInfo>

namespace audrel {

namespace {

const QString kSection = QStringLiteral("Add");
const QString kFolderKey = QStringLiteral("LastFolder");

} // namespace

QString UiState::path()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Audrel/state.ini");
}

QString UiState::LastAddFolder()
{
    return IniFile(path()).readString(kSection, kFolderKey, QString());
}

void UiState::setLastAddFolder(const QString& folder)
{
    const QString file = path();
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) return;
    try {
        IniFile ini(file);
        if (ini.readString(kSection, kFolderKey, QString()) != folder)
            ini.writeString(kSection, kFolderKey, folder);
    } catch (const EFileError&) {
    }
}

} // namespace audrel
