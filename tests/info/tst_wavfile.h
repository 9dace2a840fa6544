#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestWavFile : public QObject
{
    Q_OBJECT
private slots:
    void byteLayouts_data();
    void byteLayouts();
    void unreadableFiles();
    void referenceTools_data();
    void referenceTools();
    void thirdPartyFiles_data();
    void thirdPartyFiles();

private:
    QTemporaryDir m_dir;
};
