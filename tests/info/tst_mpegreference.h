#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestMpegReference : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lameFiles_data();
    void lameFiles();
    void ffmpegLayerII_data();
    void ffmpegLayerII();
    void thirdPartyFiles_data();
    void thirdPartyFiles();

private:
    QTemporaryDir m_dir;
};
