#pragma once
#include <QObject>
#include <QTemporaryDir>

class TestMpegAudio : public QObject
{
    Q_OBJECT
private slots:
    void decodeHeader_data();
    void decodeHeader();
    void searchFindsFirstConfirmedFrame_data();
    void searchFindsFirstConfirmedFrame();
    void unconfirmedFilesFail_data();
    void unconfirmedFilesFail();
    void tinyFilesAreNotAnalysed();
    void longSearchOfALargeFile();
    void xingHeader_data();
    void xingHeader();
    void missingFilePromptsAndRetries();
    void textOperations();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};
