#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestWavDecoder : public QObject
{
    Q_OBJECT
private slots:
    void samplesAsLibsndfileReadsThem();
    void layoutsAndTheirPaths();
    void damagedAndForeignFiles();

private:
    QTemporaryDir m_dir;
};
