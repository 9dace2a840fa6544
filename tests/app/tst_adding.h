#pragma once
#include <QObject>

class TestAdding : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void classifyAndFormat();
    void destinationRule();
    void duplicatesAreTheSamePath();
    void rowTexts();
    void mpegWavRefusedForMp3Only();
    void m3uPlainAndExtended();
    void plsEntries();
    void addCommandPerTab();
    void listFileSwitchesTabAndSummarises();
    void listFileThroughSocket();
    void commandLineListFileAfterStart();
    void droppedFiles();
    void failuresLeaveListsNormal();
    void duplicateIndexFollowsRemovals();
    void anyFormatList();
};
