#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestInfoText : public QObject
{
    Q_OBJECT
private slots:
    void decimal3_data();
    void decimal3();
    void mpegMemo();
    void wavMemo();
    void wmaMemo();

private:
    QTemporaryDir m_dir;
};
