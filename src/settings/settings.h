#pragma once
// The user's preferences, kept in "Options.ini" in the program folder: read once
// when the main window is created, written once when it closes.

#include "platform/lame/lametypes.h"

#include <QString>

#include <cstdint>

namespace audrel {

struct Settings
{
    bool SameFolder = true;
    QString DestFolder; // the home folder + "/Faviorate Music" until the user picks one
    bool ViewFolder = true;
    bool OverWrite = true;
    bool PlayDone = true;
    bool PromptCvt = false;
    bool RemoveItem = false;
    // MP3 encoder ("Encode" section)
    int32_t SampleRate = 44100; // 0: each source's own rate and channel layout
    int32_t Bitrate = 128;
    int32_t MaxBitrate = 320;
    int32_t Mode = STEREO;
    int32_t Quality = NORMAL_QUALITY;
    bool VBR = false;
    bool WriteVBR = false;
    int32_t VBRQuality = 4;
    bool CopyRight = false;
    bool Original = false;
    bool CRC = true;
    bool Private = false;
    // WMA encoder ("WMAEncode" section)
    int32_t WMASampleRate = 44100;
    int32_t WMABitRate = 128;
    int32_t WMAChannels = 2;
    bool EnableDRM = false;

    Settings();

    bool operator==(const Settings&) const = default;
};

// The folder that holds the program, with a trailing separator.
QString ProgramFolder();

// Name of the settings file inside the program folder.
inline constexpr const char* kSettingsFileName = "Options.ini";

// Reads every setting from programFolder + "Options.ini"; whatever is missing or
// unreadable takes its default. The file is left as it was.
Settings LoadSettings(const QString& programFolder);

// Writes every setting, one key at a time in a fixed order. Throws EFileError
// "Unable to write to <path>" at the first key that cannot be written.
void SaveSettings(const Settings& settings, const QString& programFolder);

} // namespace audrel
