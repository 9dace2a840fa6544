#pragma once
#include <QObject>

class TestPlayCommands : public QObject
{
    Q_OBJECT
private slots:
    void nothingSelected();
    void eachTabOpensItsPlayer_data();
    void eachTabOpensItsPlayer();
    void playerLibraryThatCannotStartIsShown();
    void doubleClickPlaysLikePlay();
};
