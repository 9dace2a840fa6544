#include "audiotools.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

namespace audrel::test {

bool haveTool(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

bool runTool(const QString& name, const QStringList& arguments, QString* errors)
{
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty()) return false;
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    if (errors) *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return ok;
}

bool makeWav(const QString& path, int rate, int channels, double seconds)
{
    QStringList arguments{"-q", "-n", "-r",    QString::number(rate),   "-c", QString::number(channels), "-b",
                          "16", path, "synth", QString::number(seconds)};
    if (channels == 2) // two tones, mixed differently on each side
        arguments << "sine"
                  << "330"
                  << "sine"
                  << "1250"
                  << "remix"
                  << "1,2v0.1"
                  << "2";
    else
        arguments << "sine"
                  << "330"
                  << "sine"
                  << "1250"
                  << "whitenoise"
                  << "remix"
                  << "-";
    arguments << "gain"
              << "-6";
    return runTool("sox", arguments);
}

bool makeMp3(const QString& path, int rate, int channels, double seconds, const QStringList& lameOptions)
{
    const QString wav = path + QStringLiteral(".src.wav");
    if (!makeWav(wav, rate, channels, seconds)) return false;
    const bool ok = runTool("lame", QStringList{"--quiet"} + lameOptions + QStringList{wav, path});
    QFile::remove(wav);
    return ok;
}

bool makeMp2(const QString& path, int rate, int channels, double seconds, int kbps)
{
    const QString wav = path + QStringLiteral(".src.wav");
    if (!makeWav(wav, rate, channels, seconds)) return false;
    const bool ok = runTool("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "mp2", "-b:a",
                                       QString::number(kbps) + "k", "-f", "mp2", path});
    QFile::remove(wav);
    return ok;
}

WavData readWav(const QString& path)
{
    WavData wav;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return wav;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return wav;
    qsizetype at = 12;
    bool haveFormat = false;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            const char* f = bytes.constData() + body;
            wav.format = qFromLittleEndian<quint16>(f);
            wav.channels = qFromLittleEndian<quint16>(f + 2);
            wav.rate = int(qFromLittleEndian<quint32>(f + 4));
            wav.bits = qFromLittleEndian<quint16>(f + 14);
            haveFormat = true;
        } else if (id == "data") {
            wav.samples = bytes.mid(body, qMin<qsizetype>(size, bytes.size() - body));
            wav.valid = haveFormat && qsizetype(size) == wav.samples.size();
            return wav;
        }
        at = body + size + (size & 1);
    }
    return wav;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result().toHex();
}

} // namespace audrel::test
