#pragma once
// The user's preferences, kept in "Options.ini": read once when the main
// window is created, written once when it closes. The file lives in the
// program folder when the program may write there (a program run from its
// build or unpacked folder); an installed program keeps it in the user's
// configuration folder, $XDG_CONFIG_HOME/Audrel (~/.config/Audrel).

#include "platform/lame/lametypes.h"

#include <QString>

#include <cstdint>

namespace audrel {

// The most files a conversion run converts at once.
inline constexpr int kMaxConvertJobs = 16;

struct Settings
{
    bool SameFolder = true;
    QString DestFolder; // the home folder + "/Faviorate Music" until the user picks one
    bool ViewFolder = true;
    bool OverWrite = true;
    bool PlayDone = true;
    bool PromptCvt = false;
    bool RemoveItem = false;
    // Files converted at once: 0 as many as the machine has processors, else 1 to kMaxConvertJobs.
    int32_t ConvertJobs = 0;
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
    // The "Any Format" list ("AnyFormat" section)
    QString AnyFormat = QStringLiteral("mp3"); // the destination format, by its word: mp3, flac, opus ...
    int32_t FlacLevel = 5;                     // compression level, 0 to 8
    int32_t VorbisQuality = 5;                 // -1 to 10
    int32_t OpusBitRate = 128;                 // kbit/s, 6 to 510, variable
    int32_t AacBitRate = 192;                  // kbit/s, 32 to 512
    bool WavSixteenBit = false;                // WAV results: 16-bit, not the source's own sample format

    Settings();

    bool operator==(const Settings&) const = default;
};

// The folder that holds the program, with a trailing separator.
QString ProgramFolder();

// Name of the settings file inside the program folder.
inline constexpr const char* kSettingsFileName = "Options.ini";

// Reads every setting from folder + "Options.ini"; whatever is missing or
// unreadable takes its default. The file is left as it was.
Settings LoadSettings(const QString& folder);
// The same from a settings file of any name.
Settings LoadSettingsFile(const QString& path);

// Writes every setting, one key at a time in a fixed order. Throws EFileError
// "Unable to write to <path>" at the first key that cannot be written.
void SaveSettings(const Settings& settings, const QString& folder);

// The folder whose "Options.ini" holds the settings of the program in
// programFolder: that folder itself when its Options.ini can be written there
// (it exists and is writable, or the folder is writable), else the user's
// configuration folder for Audrel. Ends in a separator.
QString SettingsFolder(const QString& programFolder);

// The settings of the program: from SettingsFolder's file, or, while the user
// has none yet, from the one shipped in the program folder.
Settings LoadProgramSettings(const QString& programFolder);
// Writes them to SettingsFolder's file, making its folder when need be.
void SaveProgramSettings(const Settings& settings, const QString& programFolder);

} // namespace audrel
