#pragma once
#include <QObject>

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void matchingIgnoresCase();
    void readValueTrimmedAndUnquoted();
    void readValueIsCappedAt2047();
    void integers_data();
    void integers();
    void writeReplacesWhateverTheCase();
    void writeAppendsKeyToItsSection();
    void foreignLinesSurviveByteForByte();
    void firstWriteCreatesFile();
    void unwritableFolderKeepsOldFile();
    void unreadableFileIsNeverOverwritten();
};
