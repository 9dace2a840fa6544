#include "player/playerform.h"

#include "platform/errors.h"
#include "platform/prompts/prompts.h"
#include "player/slider.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace audrel {

namespace {

// What sets the three windows apart.
struct PlayerTexts
{
    const char* objectName;
    const char* caption;
    const char* group;   // the group box's caption until an entry plays
    const char* label;   // before the file field
    const char* prefix;  // of the progress caption: " Wav file #" 2 " of " 5 " "
    const char* missing; // after a missing file's path and an empty line
    bool titleField;     // a title above the file
    bool buttonsEnabled; // Play, Pause, Stop and Next before the first entry plays
};

const PlayerTexts kTexts[] = {
    {"PlayMp3Form", "Play Mpeg File", " Mpeg File ", "File:", " Mpeg file #",
     "The mpeg file does not EXIST ! ", true, true},
    {"PlayWavForm", "Play Wav File", " Wav File ", "Wav Filename:", " Wav file #",
     "The wav file does not EXIST ! ", false, false},
    {"PlayWMAForm", "Play WMA File", " WMA File ", "WMA Filename:", " WMA file #",
     "The wma file does not EXIST ! ", false, false},
    {"PlayAudioForm", "Play Audio File", " Audio File ", "Filename:", " Audio file #",
     "The audio file does not EXIST ! ", false, false},
};

const PlayerTexts& textsOf(PlayerKind kind)
{
    return kTexts[int(kind)];
}

QLineEdit* field(const char* name, const QRect& geometry, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setGeometry(geometry);
    return edit;
}

QLabel* label(const char* text, const QRect& geometry, QWidget* parent)
{
    auto* l = new QLabel(QLatin1String(text), parent);
    l->setGeometry(geometry);
    return l;
}

} // namespace

TPlayerForm::TPlayerForm(PlayerKind kind, const QStringList& paths, QWidget* parent)
    : QDialog(parent), m_playPaths(paths), m_kind(kind)
{
    const PlayerTexts& texts = textsOf(kind);
    setObjectName(QLatin1String(texts.objectName));
    setWindowTitle(QLatin1String(texts.caption));
    setFixedSize(270, 162);

    GroupBox = new QGroupBox(QLatin1String(texts.group), this);
    GroupBox->setObjectName(QStringLiteral("GroupBox"));
    GroupBox->setGeometry(4, 0, 262, 76);
    auto* icon = new QLabel(GroupBox);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(32, 32));
    icon->setGeometry(8, 24, 32, 32);
    if (texts.titleField) {
        label("Title:", QRect(46, 22, 40, 20), GroupBox);
        Edit_Title = field("Edit_Title", QRect(86, 20, 168, 22), GroupBox);
        label(texts.label, QRect(46, 48, 40, 20), GroupBox);
        Edit_file = field("Edit_file", QRect(86, 46, 168, 22), GroupBox);
    } else {
        label(texts.label, QRect(46, 20, 208, 20), GroupBox);
        Edit_file = field("Edit_file", QRect(46, 44, 208, 22), GroupBox);
    }

    // The bitmaps of the seek bar, kept in hidden images as the slider's source.
    ThumbNormalImage = image("ThumbNormalImage", ":/slider/thumbnormal.png");
    ThumbHighlightedImage = image("ThumbHighlightedImage", ":/slider/thumbhighlighted.png");
    ThumbClickedImage = image("ThumbClickedImage", ":/slider/thumbclicked.png");
    TrackImage = image("TrackImage", ":/slider/track.png");

    btn_Play = button("btn_Play", "Play", QStyle::SP_MediaPlay, 8);
    Btn_Pause = button("Btn_Pause", "Pause", QStyle::SP_MediaPause, 44);
    Btn_Stop = button("Btn_Stop", "Stop", QStyle::SP_MediaStop, 80);
    btn_REW = button("btn_REW", "Prior", QStyle::SP_MediaSkipBackward, 128);
    Btn_FOR = button("Btn_FOR", "Next", QStyle::SP_MediaSkipForward, 164);
    SpeedButton6 = button("SpeedButton6", "Exit Playing", QStyle::SP_DialogCloseButton, 226);
    for (QToolButton* b : {btn_Play, Btn_Pause, Btn_Stop, Btn_FOR})
        b->setEnabled(texts.buttonsEnabled);
    btn_REW->setEnabled(false);
    connect(btn_Play, &QToolButton::clicked, this, [this] { guarded([this] { btn_PlayClick(); }); });
    connect(Btn_Pause, &QToolButton::clicked, this, [this] { guarded([this] { Btn_PauseClick(); }); });
    connect(Btn_Stop, &QToolButton::clicked, this, [this] { guarded([this] { Btn_StopClick(); }); });
    connect(btn_REW, &QToolButton::clicked, this, [this] { guarded([this] { btn_REWClick(); }); });
    connect(Btn_FOR, &QToolButton::clicked, this, [this] { guarded([this] { Btn_FORClick(); }); });
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { guarded([this] { SpeedButton6Click(); }); });

    m_slider = new TSlider(this);
    m_slider->setThumbNormal(ThumbNormalImage->pixmap());
    m_slider->setThumbHighlighted(ThumbHighlightedImage->pixmap());
    m_slider->setThumbClicked(ThumbClickedImage->pixmap());
    m_slider->setTrack(TrackImage->pixmap());
    m_slider->setMinimum(0);
    m_slider->setMaximum(kSeekRange);
    m_slider->setGeometry(8, 80, TrackImage->pixmap().width(), TrackImage->pixmap().height());
    connect(m_slider, &TSlider::OnChange, this, [this] { guarded([this] { SliderChange(); }); });
    connect(m_slider, &TSlider::OnMouseDown, this, &TPlayerForm::SliderMouseDown);
    connect(m_slider, &TSlider::OnMouseUp, this, &TPlayerForm::SliderMouseUp);
}

TPlayerForm::~TPlayerForm() = default;

QToolButton* TPlayerForm::button(const char* name, const char* hint, QStyle::StandardPixmap icon, int x)
{
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setIcon(style()->standardIcon(icon));
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setGeometry(x, 124, 34, 32);
    return b;
}

QLabel* TPlayerForm::image(const char* name, const char* resource)
{
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setPixmap(QPixmap(QLatin1String(resource)));
    l->hide();
    return l;
}

void TPlayerForm::SliderMouseDown()
{
    m_seeking = true;
}

void TPlayerForm::SliderMouseUp()
{
    m_seeking = false;
}

void TPlayerForm::setButtons(bool play, bool pause, bool stop)
{
    btn_Play->setEnabled(play);
    Btn_Pause->setEnabled(pause);
    Btn_Stop->setEnabled(stop);
}

void TPlayerForm::ShowEntry(int index)
{
    // The field shows the path's end, the file name; its tip shows the path whole.
    Edit_file->setText(m_playPaths[index]);
    Edit_file->setToolTip(m_playPaths[index]);
}

bool TPlayerForm::FindEntry()
{
    m_currentIndex = std::max(m_currentIndex, 0);
    while (m_currentIndex < m_playPaths.size()) {
        ShowEntry(m_currentIndex);
        const QString& path = m_playPaths[m_currentIndex];
        if (QFileInfo(path).isFile()) return true;
        showMessage(path + QStringLiteral("\n\n") + QLatin1String(textsOf(m_kind).missing),
                    QStringLiteral("Information"), MsgIcon::Information);
        // The message box lets events through; the window may have closed meanwhile.
        if (m_closing) return false;
        ++m_currentIndex;
    }
    return false;
}

void TPlayerForm::ShowPlace()
{
    const int count = int(m_playPaths.size());
    Btn_FOR->setEnabled(m_currentIndex + 1 < count);
    btn_REW->setEnabled(m_currentIndex >= 1);
    GroupBox->setTitle(QLatin1String(textsOf(m_kind).prefix) + QString::number(m_currentIndex + 1) +
                       QStringLiteral(" of ") + QString::number(count) + QLatin1Char(' '));
}

void TPlayerForm::reject()
{
    close();
}

void TPlayerForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closing) return;
    m_closing = true;
    guarded([this] { FormClose(); });
}

} // namespace audrel
