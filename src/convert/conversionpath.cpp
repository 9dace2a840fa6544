#include "convert/conversionpath.h"

#include "convert/mp3towavpath.h"
#include "convert/wavtomp3path.h"
#include "convert/wavtowmapath.h"
#include "convert/wmatowavpath.h"

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
        return std::make_unique<WmaToWavPath>();
    case JobKind::WavToWma:
        return std::make_unique<WavToWmaPath>(settings);
    }
    return nullptr;
}

QString RunToEnd(ConversionPath& path, const TCvtItem& item, const QString& output,
                 const std::function<void(int)>& percent)
{
    QEventLoop loop;
    bool ended = false;
    QString failure;
    int shown = -1;
    const QMetaObject::Connection connections[] = {
        QObject::connect(&path, &ConversionPath::finished, &loop,
                         [&] {
                             if (ended) return;
                             ended = true;
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
