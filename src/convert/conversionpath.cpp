#include "convert/conversionpath.h"

#include "convert/mp3towavpath.h"
#include "convert/wavtomp3path.h"
#include "convert/wavtowmapath.h"
#include "convert/wmatowavpath.h"
#include "info/audiotags.h"

#include <QEventLoop>

namespace audrel {

ConversionPath::ConversionPath(QObject* parent) : QObject(parent) {}

ConversionPath::~ConversionPath() = default;

std::unique_ptr<ConversionPath> ConversionPath::create(JobKind kind, const Settings& settings,
                                                       const QString& programFolder)
{
    switch (kind) {
    case JobKind::Mp3ToWav:
        return std::make_unique<Mp3ToWavPath>(programFolder);
    case JobKind::WavToMp3:
        return std::make_unique<WavToMp3Path>(settings);
    case JobKind::WmaToWav:
        return std::make_unique<WmaToWavPath>(programFolder);
    case JobKind::WavToWma:
        return std::make_unique<WavToWmaPath>(settings, programFolder);
    }
    return nullptr;
}

void ConversionPath::begin(const TCvtItem& item, const QString& output)
{
    m_item = item;
    m_output = output;
}

void ConversionPath::complete()
{
    QString warning;
    if (m_carryTags) {
        // The output's kind is its destination's: a temporary name tells none.
        const AudioTags tags = ReadTags(m_item.SourcePath);
        if (!tags.isEmpty()) warning = WriteTags(m_output, tags, ContainerOf(m_item.DestPath));
        if (!m_output.isEmpty()) warning.replace(m_output, m_item.DestPath);
    }
    emit finished(warning);
}

void ConversionPath::fail(QString message)
{
    // The user knows the file by its destination's name, not the one it is written under.
    if (!m_output.isEmpty()) message.replace(m_output, m_item.DestPath);
    emit failed(message);
}

QString RunToEnd(ConversionPath& path, const TCvtItem& item, const QString& output,
                 const std::function<void(int)>& percent, QString* warning)
{
    QEventLoop loop;
    bool ended = false;
    QString failure;
    int shown = -1;
    const QMetaObject::Connection connections[] = {
        QObject::connect(&path, &ConversionPath::finished, &loop,
                         [&](const QString& tagWarning) {
                             if (ended) return;
                             ended = true;
                             if (warning) *warning = tagWarning;
                             loop.quit();
                         }),
        QObject::connect(&path, &ConversionPath::failed, &loop,
                         [&](const QString& message) {
                             if (ended) return;
                             ended = true;
                             failure = message;
                             loop.quit();
                         }),
        QObject::connect(&path, &ConversionPath::progress, &loop,
                         [&](qint64 done, qint64 total) {
                             const int now = int(done * 100 / total);
                             if (ended || !percent || now == shown) return;
                             shown = now;
                             percent(now);
                         }),
    };
    path.start(item, output);
    if (!ended) loop.exec();
    for (const QMetaObject::Connection& connection : connections)
        QObject::disconnect(connection);
    // A failed item's output must be let go before it is removed.
    if (!failure.isEmpty()) path.stopAndWait();
    return failure;
}

} // namespace audrel
