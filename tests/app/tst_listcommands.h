#pragma once
#include <QObject>

class TestListCommands : public QObject
{
    Q_OBJECT
private slots:
    void checkCommandsOnSelection();
    void deleteAndClear();
    void browseDestinationFolder();
    void changeDestinationFolder();
    void helpAboutAndToggles();
};
