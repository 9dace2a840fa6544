#include "platform/errors.h"
#include "platform/ini/inifile.h"
#include "settings/settings.h"
#include "testmain.h"
#include "testsupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace audrel;
using audrel::test::readFile;
using audrel::test::writeFile;

class TestSettings : public QObject
{
    Q_OBJECT

private:
    static QString folderOf(const QTemporaryDir& dir) { return dir.path() + QDir::separator(); }

private slots:
    void firstStartGivesDefaults()
    {
        QTemporaryDir dir;
        const Settings s = LoadSettings(folderOf(dir));
        QVERIFY(s.SameFolder);
        QCOMPARE(s.DestFolder, QDir::homePath() + "/Faviorate Music");
        QVERIFY(s.ViewFolder && s.OverWrite && s.PlayDone);
        QVERIFY(!s.PromptCvt && !s.RemoveItem);
        QCOMPARE(s.ConvertJobs, 0); // automatic
        QCOMPARE(s.SampleRate, 44100);
        QCOMPARE(s.Bitrate, 128);
        QCOMPARE(s.MaxBitrate, 320);
        QCOMPARE(s.Mode, int32_t(STEREO));
        QCOMPARE(s.Quality, int32_t(NORMAL_QUALITY));
        QVERIFY(!s.VBR && !s.WriteVBR);
        QCOMPARE(s.VBRQuality, 4);
        QVERIFY(!s.CopyRight && !s.Original && s.CRC && !s.Private);
        QCOMPARE(s.WMASampleRate, 44100);
        QCOMPARE(s.WMABitRate, 128);
        QCOMPARE(s.WMAChannels, 2);
        QVERIFY(!s.EnableDRM);
        // Loading never creates the file.
        QVERIFY(!QFile::exists(folderOf(dir) + "Options.ini"));
    }

    void saveWritesAllKeysInFourSections()
    {
        QTemporaryDir dir;
        SaveSettings(Settings(), folderOf(dir));
        const QString text = QString::fromUtf8(readFile(folderOf(dir) + "Options.ini"));
        const QStringList lines = text.split("\r\n", Qt::SkipEmptyParts);
        QStringList sections, keys;
        for (const QString& line : lines)
            (line.startsWith('[') ? sections : keys) << line.section('=', 0, 0);
        QCOMPARE(sections, (QStringList{"[General]", "[Encode]", "[WMAEncode]", "[AnyFormat]"}));
        QCOMPARE(keys,
                 (QStringList{"SameFolder", "DestFolder", "ViewFolder", "Overwrite",  "PLayDone", "PromptCvt",
                              "RemoveItem", "ConvertJobs", "SampleRate", "Bitrate",  "MaxBitrate", "Mode",     "Quality",
                              "VBR",        "WriteVBR",   "VBRQuality", "CopyRight",  "Original", "CRC",
                              "Private",    "SampleRate", "BitRate",    "Channels",   "EnableDRM",
                              "Format",     "FlacLevel",  "VorbisQuality", "OpusBitRate", "AacBitRate",
                              "WavSampleFormat"}));
        QVERIFY(text.contains("\r\nOverwrite=1\r\n"));
    }

    void changedValuesReadBackUnchanged()
    {
        QTemporaryDir dir;
        Settings s;
        s.SameFolder = false;
        s.DestFolder = "/srv/music out/";
        s.ViewFolder = s.OverWrite = s.PlayDone = false;
        s.PromptCvt = s.RemoveItem = true;
        s.ConvertJobs = 3;
        s.SampleRate = 0;
        s.Bitrate = 64;
        s.MaxBitrate = 256;
        s.Mode = MONO;
        s.Quality = VOICE_QUALITY;
        s.VBR = s.WriteVBR = true;
        s.VBRQuality = 9;
        s.CopyRight = s.Original = s.Private = true;
        s.CRC = false;
        s.WMASampleRate = 22050;
        s.WMABitRate = 32;
        s.WMAChannels = 1;
        s.EnableDRM = true;
        s.AnyFormat = "opus";
        s.FlacLevel = 8;
        s.VorbisQuality = -1;
        s.OpusBitRate = 96;
        s.AacBitRate = 256;
        s.WavSixteenBit = true;
        SaveSettings(s, folderOf(dir));
        QCOMPARE(LoadSettings(folderOf(dir)), s);
        // A second save over the first changes nothing.
        const QByteArray first = readFile(folderOf(dir) + "Options.ini");
        SaveSettings(LoadSettings(folderOf(dir)), folderOf(dir));
        QCOMPARE(readFile(folderOf(dir) + "Options.ini"), first);
    }

    void handEditedValues()
    {
        QTemporaryDir dir;
        const QString path = folderOf(dir) + "Options.ini";
        writeFile(path, "[general]\r\nOVERWRITE=0\r\nPlayDone=0\r\nConvertJobs=99\r\n"
                        "DestFolder=  \"/data/my music \"  \r\n"
                        "[Extra]\r\nKeep=me\r\n[ENCODE]\r\nSampleRate=abc\r\nCRC=2\r\nBitrate=$C0\r\n");
        const Settings s = LoadSettings(folderOf(dir));
        QVERIFY(!s.OverWrite);
        QVERIFY(!s.PlayDone);
        QCOMPARE(s.DestFolder, QString("/data/my music "));
        QCOMPARE(s.ConvertJobs, 0); // beyond the choices: automatic
        QCOMPARE(s.SampleRate, 44100);
        QVERIFY(s.CRC);
        QCOMPARE(s.Bitrate, 192);
        SaveSettings(s, folderOf(dir));
        const QString text = QString::fromUtf8(readFile(path));
        QCOMPARE(text.count(QRegularExpression("^overwrite=", QRegularExpression::CaseInsensitiveOption |
                                                                  QRegularExpression::MultilineOption)),
                 1);
        QCOMPARE(text.count(QRegularExpression("^playdone=", QRegularExpression::CaseInsensitiveOption |
                                                                 QRegularExpression::MultilineOption)),
                 1);
        QVERIFY(text.contains("\r\nCRC=1\r\n"));
        QVERIFY(text.contains("[Extra]\r\nKeep=me\r\n"));
        QCOMPARE(IniFile(path).readString("extra", "keep", {}), QString("me"));

        // A settings file that is a pipe reads as missing, without waiting for a writer.
        QVERIFY(QFile::remove(path));
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        QCOMPARE(LoadSettings(folderOf(dir)), Settings());
        QVERIFY(QFile::remove(path));

        // An empty or relative destination folder would write into the folder the
        // program was started from: the default folder stands in.
        for (const char* folder : {"", "music/out"}) {
            writeFile(path, QByteArray("[General]\r\nSameFolder=0\r\nDestFolder=") + folder + "\r\n");
            QCOMPARE(LoadSettings(folderOf(dir)).DestFolder, Settings().DestFolder);
        }
    }

    void failedSaveStopsAtTheKey()
    {
        QTemporaryDir dir;
        const QString folder = folderOf(dir) + "gone" + QDir::separator();
        try {
            SaveSettings(Settings(), folder);
            QFAIL("no error raised");
        } catch (const EFileError& e) {
            QCOMPARE(e.message(), "Unable to write to " + folder + "Options.ini");
        }
    }
};

AUDREL_CORE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
