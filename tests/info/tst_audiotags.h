#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestAudioTags : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void carried_data();
    void carried();

private:
    QTemporaryDir m_dir;
    QByteArray m_cover;
};
