// List files, M3U and PLS playlists, and the profile files PLS playlists are
// read as.

#include "fuzzinput.h"
#include "jobs/playlists.h"
#include "platform/errors.h"
#include "platform/ini/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel;
    const QString path = fuzz::writeInput(".m3u", data, size);
    try {
        (void)ReadTextLines(path);
        (void)ReadPlaylist(path); // as M3U
        for (const QString& entry : ReadPLS(path))
            (void)ResolveEntry(path, entry);
    } catch (const EFileError&) {
    }
    const IniFile ini(path);
    (void)ini.readString(QStringLiteral("playlist"), QStringLiteral("File1"), {});
    (void)ini.readInteger(QStringLiteral("playlist"), QStringLiteral("NumberOfEntries"), 0);
    return 0;
}
