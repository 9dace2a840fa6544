#pragma once
#include <QObject>

class TestPrompts : public QObject
{
    Q_OBJECT
private slots:
    void scriptedAnswersAndRecords();
    void filterSplitsIntoPairs();
};
