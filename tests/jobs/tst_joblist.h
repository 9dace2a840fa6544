#pragma once
#include <QObject>

class TestJobList : public QObject
{
    Q_OBJECT
private slots:
    void formatSecondsAndCountText();
    void appendCountsTotalAndChecked();
    void checkAccounting();
    void addingMutesCheckAccounting();
    void selectionAccounting();
    void deletionAccounting();
    void clearLeavesZero();
    void sumsBeyondSixteenBits();
    void modelShowsRows();
};
