#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestWmaFile : public QObject
{
    Q_OBJECT
private slots:
    void byteLayouts_data();
    void byteLayouts();
    void texts();
    void brokenHeaders_data();
    void brokenHeaders();
    void ffmpegFiles_data();
    void ffmpegFiles();
    void thirdPartyFiles();

private:
    QTemporaryDir m_dir;
};
