#include "info/form_mediaproperty.h"

#include "info/audiotags.h"
#include "info/infotext.h"
#include "platform/audio/ffmpegmodule.h"

#include <QLabel>
#include <QPixmap>

#include <algorithm>

namespace audrel {

namespace {

constexpr int kCoverSide = 160;

} // namespace

TForm_MediaProperty::TForm_MediaProperty(const QString& path, const QString& programFolder, QWidget* parent)
    : InfoDialog(QStringLiteral("Audio File Property"), QStringLiteral(" Audio File Property "), "MediaMemo", path,
                 parent)
{
    setObjectName(QStringLiteral("Form_MediaProperty"));
    QString problem;
    const audio::FfmpegModule* ffmpeg = audio::FfmpegModule::load(programFolder, &problem);
    audio::MediaFacts facts;
    if (ffmpeg && ffmpeg->probe(path, facts) != audio::AudioError::None)
        problem = QStringLiteral("The file holds no audio that can be decoded.");
    if (!problem.isEmpty()) {
        setMemo({problem});
        return;
    }
    const AudioTags tags = ReadTags(path);
    setMemo(MediaMemoLines(facts, tags));
    QPixmap cover;
    if (!tags.Cover.isEmpty() && cover.loadFromData(tags.Cover)) {
        m_cover = new QLabel(this);
        m_cover->setObjectName(QStringLiteral("Image_Cover"));
        m_cover->setPixmap(cover.scaled(kCoverSide, kCoverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        m_cover->setAccessibleName(QStringLiteral("Cover picture"));
        placeBesideMemo(m_cover);
        resize(width() + kCoverSide, std::max(height(), kCoverSide + 120));
    }
}

} // namespace audrel
