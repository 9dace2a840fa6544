#pragma once
#include <QObject>

class TestMainForm : public QObject
{
    Q_OBJECT
private slots:
    void windowAsBuilt();
    void actionsAndMenus();
    void toolbarButtons();
    void toolbarConvertFirstClick();
    void panelsFollowVisibleList();
    void pathCellsShowFileNames();
    void viewClicksReachCounters();
    void linksFromAffiliateFile();
    void closeSavesSettings();
    void closeAfterFailedSaveStillCloses();
};
