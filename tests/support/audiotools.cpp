#include "audiotools.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

QByteArray toolOutput(const QString& name, const QStringList& arguments, bool* ok)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(name), arguments);
    const bool ran = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
                     process.exitCode() == 0;
    if (ok) *ok = ran;
    return process.readAllStandardOutput();
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

bool makeWma(const QString& path, int rate, int channels, double seconds, int kbps)
{
    const QString wav = path + QStringLiteral(".src.wav");
    if (!makeWav(wav, rate, channels, seconds)) return false;
    const bool ok = runTool("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "wmav2", "-b:a",
                                       QString::number(kbps) + "k", "-f", "asf", path});
    QFile::remove(wav);
    return ok;
}

bool makeTones(const QString& path, int rate, int channels, int bits, double seconds)
{
    QStringList arguments{"-q",
                          "-n",
                          "-r",
                          QString::number(rate),
                          "-c",
                          QString::number(channels),
                          "-b",
                          QString::number(bits),
                          path,
                          "synth",
                          QString::number(seconds)};
    for (int channel = 0; channel < channels; ++channel)
        arguments << "sine" << QString::number(channel == 3 ? 55 : 220 + 110 * channel);
    arguments << "pinknoise";
    QStringList mix;
    for (int channel = 0; channel < channels; ++channel)
        mix << QStringLiteral("%1,%2v0.05").arg(channel + 1).arg(channels + 1);
    arguments << "remix" << mix << "gain"
              << "-6";
    return runTool("sox", arguments);
}

bool makeEncoded(const QString& path, const QString& source, const QStringList& ffmpegOptions)
{
    return runTool("ffmpeg",
                   QStringList{"-v", "error", "-y", "-i", source} + ffmpegOptions + QStringList{path});
}

QByteArray decodedSamples(const QString& path, const QString& rawFormat, const QStringList& options)
{
    bool ok = false;
    const QByteArray samples = toolOutput(
        "ffmpeg", QStringList{"-v", "error", "-i", path} + options + QStringList{"-f", rawFormat, "-"}, &ok);
    return ok ? samples : QByteArray();
}

QByteArray channelSamples(const QByteArray& samples, int channels, int channel)
{
    const auto* from = reinterpret_cast<const qint16*>(samples.constData());
    const qsizetype frames = samples.size() / qsizetype(2 * channels);
    QByteArray one(frames * 2, Qt::Uninitialized);
    auto* to = reinterpret_cast<qint16*>(one.data());
    for (qsizetype i = 0; i < frames; ++i)
        to[i] = from[i * channels + channel];
    return one;
}

Probe probe(const QString& path)
{
    QProcess process;
    process.start("ffprobe", {"-v", "error", "-show_entries",
                              "stream=codec_type,codec_name,sample_rate,channels,channel_layout,sample_fmt,"
                              "bit_rate,bits_per_raw_sample,bits_per_sample:format=duration,format_name",
                              "-of", "json", path});
    process.waitForFinished(60000);
    const QJsonObject root = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    Probe p;
    bool audio = false;
    for (const QJsonValue value : root["streams"].toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream["codec_type"].toString() != "audio") {
            ++p.videoStreams;
            continue;
        }
        if (audio) continue;
        audio = true;
        p.codec = stream["codec_name"].toString();
        p.rate = stream["sample_rate"].toString().toInt();
        p.channels = stream["channels"].toInt();
        p.bitRate = stream["bit_rate"].toString().toInt();
        p.layout = stream["channel_layout"].toString();
        p.sampleFormat = stream["sample_fmt"].toString();
        p.bits = stream["bits_per_raw_sample"].toString().toInt();
        if (p.bits == 0) p.bits = stream["bits_per_sample"].toInt();
    }
    const QJsonObject format = root["format"].toObject();
    p.seconds = format["duration"].toString().toDouble();
    p.container = format["format_name"].toString();
    return p;
}

QString decodedSampleFormat(const QString& path)
{
    // Of the first packets (a codec may give nothing for its first).
    const QByteArray formats =
        toolOutput("ffprobe", {"-v", "error", "-select_streams", "a:0", "-read_intervals", "%+#50",
                               "-show_entries", "frame=sample_fmt", "-of", "csv=p=0", path});
    return QString::fromLatin1(formats.left(formats.indexOf('\n'))).trimmed();
}

QMap<QString, QString> probeTags(const QString& path)
{
    const QJsonObject root =
        QJsonDocument::fromJson(
            toolOutput("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                   "format_tags:stream_tags", "-of", "json", path}))
            .object();
    QMap<QString, QString> tags;
    for (const QJsonValue tagged :
         {root["format"].toObject()["tags"], root["streams"].toArray().first().toObject()["tags"]}) {
        const QJsonObject object = tagged.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            tags.insert(it.key().toLower(), it.value().toString());
    }
    return tags;
}

QByteArray attachedPicture(const QString& path)
{
    return toolOutput("ffmpeg",
                      {"-v", "error", "-i", path, "-map", "0:v:0", "-c", "copy", "-f", "image2pipe", "-"});
}

double similarity(const QByteArray& a, const QByteArray& b, int channels, int maxLag)
{
    const auto* x = reinterpret_cast<const qint16*>(a.constData());
    const auto* y = reinterpret_cast<const qint16*>(b.constData());
    const qsizetype frames = std::min(a.size(), b.size()) / qsizetype(2 * channels);
    const qsizetype count = std::min<qsizetype>(frames - 2 * maxLag, 16384);
    if (count <= 0) return 0;
    double best = 0;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (qsizetype i = maxLag; i < maxLag + count; ++i) {
            const double u = x[i * channels];
            const double v = y[(i + lag) * channels];
            xy += u * v;
            xx += u * u;
            yy += v * v;
        }
        if (xx > 0 && yy > 0) best = std::max(best, xy / std::sqrt(xx * yy));
    }
    return best;
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

QString MonitorRecording::unavailable()
{
    for (const char* tool : {"parec", "pactl"})
        if (!haveTool(tool)) return QStringLiteral("%1 is not installed (pulseaudio-utils)").arg(tool);
    bool ok = false;
    const QByteArray sink = toolOutput("pactl", {"get-default-sink"}, &ok).trimmed();
    if (!ok || sink != "audrel_null") return QStringLiteral("no private null sink (run through scripts/test)");
    return {};
}

MonitorRecording::MonitorRecording() = default;

MonitorRecording::~MonitorRecording()
{
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool MonitorRecording::start()
{
    m_process = std::make_unique<QProcess>();
    m_process->start(QStandardPaths::findExecutable("parec"),
                     {"--device=audrel_null.monitor", "--raw", "--format=s16le", "--rate=" + QString::number(kRate),
                      "--channels=2", "--latency-msec=20"});
    if (!m_process->waitForStarted(10000)) return false;
    QElapsedTimer clock;
    clock.start();
    while (m_data.isEmpty() && clock.elapsed() < 20000)
        take(100);
    return !m_data.isEmpty();
}

const QByteArray& MonitorRecording::take(int waitMs)
{
    if (m_process) {
        QCoreApplication::processEvents();
        if (waitMs > 0 && m_process->bytesAvailable() == 0) m_process->waitForReadyRead(waitMs);
        m_data += m_process->readAllStandardOutput();
    }
    return m_data;
}

Hearing listen(const QByteArray& stereo, qsizetype from, qsizetype frames)
{
    // Far below any signal the tests play; the null sink's silence is zero.
    constexpr int kSilence = 64;
    const auto* samples = reinterpret_cast<const qint16*>(stereo.constData());
    const qsizetype end = frames < 0 ? stereo.size() / 4 : std::min(stereo.size() / 4, from + frames);
    Hearing h;
    qsizetype gap = 0;
    for (qsizetype i = std::max<qsizetype>(0, from); i < end; ++i) {
        const bool sounds = std::abs(samples[2 * i]) > kSilence || std::abs(samples[2 * i + 1]) > kSilence;
        if (!sounds) {
            ++gap;
            continue;
        }
        if (h.first < 0) h.first = i;
        else h.longestGap = std::max(h.longestGap, gap);
        h.last = i;
        gap = 0;
    }
    if (h.first >= 0) h.heard = h.last - h.first + 1;
    return h;
}

QList<QMap<QString, QString>> soundServerStreams()
{
    QList<QMap<QString, QString>> streams;
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QMap<QString, QString> stream;
    const auto keep = [&] {
        if (stream.value("application.process.id") == pid) streams.append(stream);
        stream.clear();
    };
    for (const QByteArray& raw : toolOutput("pactl", {"list", "sink-inputs"}).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith("Sink Input #")) keep();
        // Properties read: key = "value"
        const qsizetype equals = line.indexOf(QLatin1String(" = \""));
        if (equals > 0 && line.endsWith('"')) stream[line.left(equals)] = line.mid(equals + 4).chopped(1);
    }
    keep();
    return streams;
}

} // namespace audrel::test
