#include "tst_inifile.h"

#include "platform/errors.h"
#include "platform/ini/inifile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using audrel::IniFile;
using audrel::test::readFile;
using audrel::test::writeFile;

void TestIniFile::matchingIgnoresCase()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeFile(path, "[GeNeRaL]\r\nOverWrite=0\r\n  playdone = 7 \r\n");
    const IniFile ini(path);
    QCOMPARE(ini.readInteger("general", "OVERWRITE", 1), 0);
    QCOMPARE(ini.readInteger("GENERAL", "PlayDone", 1), 7);
    QCOMPARE(ini.readString("Other", "OverWrite", "none"), QString("none"));
    QCOMPARE(ini.readBool("General", "Missing", true), true);
}

void TestIniFile::readValueTrimmedAndUnquoted()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeFile(path, "[s]\na=  /music/out   \nb=\"  quoted value  \"\nc=\"\"x\"\"\nd=\"half\ne='single'\nf=\n");
    const IniFile ini(path);
    QCOMPARE(ini.readString("s", "a", "?"), QString("/music/out"));
    QCOMPARE(ini.readString("s", "b", "?"), QString("  quoted value  "));
    QCOMPARE(ini.readString("s", "c", "?"), QString("\"x\"")); // one pair only
    QCOMPARE(ini.readString("s", "d", "?"), QString("\"half"));
    QCOMPARE(ini.readString("s", "e", "?"), QString("single"));
    QCOMPARE(ini.readString("s", "f", "?"), QString(""));
}

void TestIniFile::readValueIsCappedAt2047()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    const QByteArray value(3000, 'v');
    writeFile(path, "[s]\r\nlong=" + value + "\r\n");
    QCOMPARE(IniFile(path).readString("s", "long", {}).size(), 2047);
}

void TestIniFile::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "44100" << 44100;
    QTest::newRow("plus") << "+12" << 12;
    QTest::newRow("minus") << "-3" << -3;
    QTest::newRow("hex 0x") << "0x1F" << 31;
    QTest::newRow("hex 0X upper") << "0XAC44" << 44100;
    QTest::newRow("hex dollar") << "$ff" << 255;
    QTest::newRow("hex full pattern") << "$FFFFFFFF" << -1;
    QTest::newRow("letters") << "abc" << 99;
    QTest::newRow("trailing junk") << "12kHz" << 99;
    QTest::newRow("empty") << "" << 99;
    QTest::newRow("sign only") << "-" << 99;
    QTest::newRow("prefix only") << "0x" << 99;
    QTest::newRow("too large") << "4294967296" << 99;
    QTest::newRow("blank inside") << "1 2" << 99;
    QTest::newRow("quoted") << "\"5\"" << 5;
}

void TestIniFile::integers()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeFile(path, "[s]\r\nn=" + text.toUtf8() + "\r\n");
    QCOMPARE(IniFile(path).readInteger("s", "n", 99), expected);
}

void TestIniFile::writeReplacesWhateverTheCase()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeFile(path, "[General]\r\nOverWrite=0\r\nPlayDone=0\r\n");
    IniFile ini(path);
    ini.writeBool("general", "Overwrite", true);
    ini.writeBool("General", "PLayDone", true);
    QCOMPARE(readFile(path), QByteArray("[General]\r\nOverwrite=1\r\nPLayDone=1\r\n"));
    const IniFile again(path);
    QCOMPARE(again.readBool("General", "OverWrite", false), true);
    QCOMPARE(again.readBool("General", "PlayDone", false), true);
}

void TestIniFile::writeAppendsKeyToItsSection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    // The last section has no line end; the first has a blank line after it.
    writeFile(path, "[One]\na=1\n\n[Two]\nb=2");
    IniFile ini(path);
    ini.writeInteger("one", "c", 3);
    ini.writeInteger("TWO", "d", 4);
    ini.writeString("Three", "e", "five");
    QCOMPARE(readFile(path), QByteArray("[One]\na=1\nc=3\r\n\n[Two]\nb=2\r\nd=4\r\n\r\n[Three]\r\ne=five\r\n"));
    const IniFile again(path);
    QCOMPARE(again.readInteger("One", "c", 0), 3);
    QCOMPARE(again.readInteger("Two", "d", 0), 4);
    QCOMPARE(again.readString("Three", "e", {}), QString("five"));
}

void TestIniFile::foreignLinesSurviveByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    const QByteArray before = "; made by hand\r\n[General]\r\nSameFolder=1\r\nMyKey = keep  me\r\n# note\n"
                              "[Mine]\rX=\"1\"\r[General]\r\nSameFolder=9\r\n";
    writeFile(path, before);
    IniFile ini(path);
    ini.writeBool("General", "SameFolder", false);
    QByteArray expected = before;
    expected.replace("SameFolder=1", "SameFolder=0");
    QCOMPARE(readFile(path), expected);
    // Only the first of two sections of one name is used.
    QCOMPARE(IniFile(path).readInteger("General", "SameFolder", 5), 0);
}

void TestIniFile::firstWriteCreatesFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.ini");
    IniFile ini(path);
    QCOMPARE(ini.readString("s", "k", "default"), QString("default"));
    QVERIFY(!QFile::exists(path));
    ini.writeString("s", "k", "v");
    QCOMPARE(readFile(path), QByteArray("[s]\r\nk=v\r\n"));
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"new.ini"});
}

void TestIniFile::unwritableFolderKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeFile(path, "[s]\r\nk=old\r\n");
    // Permissions do not bind root; an immutable folder does.
    const bool root = geteuid() == 0;
    auto lock = [&](bool locked) {
        if (root)
            return QProcess::execute("chattr", {locked ? "+i" : "-i", dir.path()}) == 0;
        return QFile::setPermissions(dir.path(), locked ? QFile::ReadOwner | QFile::ExeOwner
                                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    if (!lock(true))
        QSKIP("this file system cannot make a folder unwritable");
    IniFile ini(path);
    QString message;
    try {
        ini.writeString("s", "k", "new");
    } catch (const audrel::EFileError& e) {
        message = e.message();
    }
    lock(false);
    QCOMPARE(message, "Unable to write to " + path);
    QCOMPARE(readFile(path), QByteArray("[s]\r\nk=old\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});
    // The failed write left the file object as it was: reads give the old value.
    QCOMPARE(ini.readString("s", "k", {}), QString("old"));
}

void TestIniFile::unreadableFileIsNeverOverwritten()
{
    // A folder that cannot hold the file: the message names the full path.
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/sub/a.ini");
    IniFile ini(path);
    try {
        ini.writeString("s", "k", "v");
        QFAIL("no error raised");
    } catch (const audrel::EFileError& e) {
        QCOMPARE(e.message(), QString("Unable to write to ") + path);
    }
    // A file in the way that cannot be read as a file (here: a folder) is not replaced.
    const QString blocked = dir.filePath("blocked.ini");
    QVERIFY(QDir().mkpath(blocked + "/inside"));
    IniFile blocker(blocked);
    QVERIFY_THROWS_EXCEPTION(audrel::EFileError, blocker.writeString("s", "k", "v"));
    QVERIFY(QDir(blocked + "/inside").exists());
}
