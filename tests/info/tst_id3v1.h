#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestId3v1 : public QObject
{
    Q_OBJECT
private slots:
    void readsTag_data();
    void readsTag();
    void writeReadRemove();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void writesNeverLoseTheFile();
    void smallAndMissingFiles();
    void genreTable();

private:
    QTemporaryDir m_dir;
};
