#include "settings/optionform.h"

#include "platform/errors.h"
#include "platform/prompts/prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace audrel {

const int32_t TOptionForm::SampleRates[9] = {0, 48000, 44100, 32000, 24000, 22050, 16000, 11025, 8000};
const int32_t TOptionForm::Bitrates[17] = {8,  16,  24,  32,  40,  48,  56,  64, 80,
                                           96, 112, 128, 160, 192, 224, 256, 320};

namespace {

enum class WmaChannels
{
    MonoOnly,
    StereoOnly,
    Both
};

struct WmaRow
{
    const char* item;
    WmaChannels channels;
    QStringList stereo;
    QStringList mono;
};

// The WMA bit rates with the sample rates the encoder offers for each channel mode.
const QList<WmaRow>& wmaTable()
{
    using enum WmaChannels;
    static const QList<WmaRow> table = {
        {"5kb/s", MonoOnly, {}, {"8000Hz"}},
        {"6kb/s", MonoOnly, {}, {"8000Hz"}},
        {"8kb/s", MonoOnly, {}, {"8000Hz", "11025Hz"}},
        {"10kb/s", MonoOnly, {}, {"11025Hz", "16000Hz"}},
        {"12kb/s", Both, {"8000Hz"}, {"16000Hz"}},
        {"16kb/s", Both, {"16000Hz"}, {"16000Hz", "22050Hz"}},
        {"20kb/s", Both, {"16000Hz", "22050Hz"}, {"22050Hz", "32000Hz"}},
        {"22kb/s", StereoOnly, {"22050Hz"}, {}},
        {"32kb/s", Both, {"22050Hz", "32000Hz"}, {"44100Hz"}},
        {"40kb/s", StereoOnly, {"32000Hz"}, {}},
        {"48kb/s", StereoOnly, {"32000Hz", "44100Hz"}, {}},
        {"64kb/s", StereoOnly, {"44100Hz"}, {}},
        {"80kb/s", StereoOnly, {"44100Hz"}, {}},
        {"96kb/s", StereoOnly, {"44100Hz"}, {}},
        {"128kb/s", StereoOnly, {"44100Hz", "48000Hz"}, {}},
        {"160kb/s", StereoOnly, {"44100Hz"}, {}},
    };
    return table;
}

// The number at the start of a combo text such as "128kb/s" or "44100Hz".
int32_t leadingNumber(const QString& text, const QString& unit)
{
    const QString number = text.left(text.indexOf(unit) < 0 ? text.size() : text.indexOf(unit));
    bool ok = false;
    const int32_t value = number.toInt(&ok);
    if (!ok) throw EAudrelError(QStringLiteral("'%1' is not a valid integer value").arg(number));
    return value;
}

QSlider* slider(QWidget* parent, const char* name, int maximum)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(0, maximum);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(1);
    return s;
}

template <class W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QString withBackslashRule(QString folder)
{
    // The stored folder always ends in a separator.
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    return folder;
}

} // namespace

TOptionForm::TOptionForm(Settings& settings, const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("OptionForm"));
    setWindowTitle(QStringLiteral("Custom Settings"));
    setModal(true);

    PageControl1 = named(new QTabWidget(this), "PageControl1");

    // General page
    auto* general = new QWidget;
    auto* outputGroup = new QGroupBox(QStringLiteral(" Output Folder "), general);
    Radio_same = named(new QRadioButton(QStringLiteral("Same as input folder")), "Radio_same");
    Radio_other = named(new QRadioButton(QStringLiteral("Other folder")), "Radio_other");
    Edit_Folder = named(new QLineEdit, "Edit_Folder");
    Btn_Browse = named(new QToolButton, "Btn_Browse");
    Btn_Browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    Check_view =
        named(new QCheckBox(QStringLiteral("Explore output folder after conversion is done")), "Check_view");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Edit_Folder);
    folderRow->addWidget(Btn_Browse);
    auto* outputLayout = new QVBoxLayout(outputGroup);
    outputLayout->addWidget(Radio_same);
    outputLayout->addWidget(Radio_other);
    outputLayout->addLayout(folderRow);
    outputLayout->addWidget(Check_view);
    Check_over = named(new QCheckBox(QStringLiteral("Prompt for overwrite existing files")), "Check_over");
    Check_remove = named(new QCheckBox(QStringLiteral(
                             "Remove the file(s) from list after it has been successfully converted")),
                         "Check_remove");
    Check_play = named(new QCheckBox(QStringLiteral("Play a sound when all conversion done ")), "Check_play");
    Check_prompt =
        named(new QCheckBox(QStringLiteral("Prompt check options when beginning convert.")), "Check_prompt");
    // How many files a conversion run keeps going at once.
    Combo_Jobs = named(new QComboBox, "Combo_Jobs");
    Combo_Jobs->addItem(QStringLiteral("Automatic"));
    for (int jobs = 1; jobs <= kMaxConvertJobs; ++jobs)
        Combo_Jobs->addItem(QString::number(jobs));
    auto* jobsLabel = new QLabel(QStringLiteral("Files converted at once:"));
    jobsLabel->setBuddy(Combo_Jobs);
    auto* jobsRow = new QHBoxLayout;
    jobsRow->addWidget(jobsLabel);
    jobsRow->addWidget(Combo_Jobs);
    jobsRow->addStretch();
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(outputGroup);
    for (QCheckBox* box : {Check_over, Check_remove, Check_play, Check_prompt})
        generalLayout->addWidget(box);
    generalLayout->addLayout(jobsRow);
    generalLayout->addStretch();
    PageControl1->addTab(general, QStringLiteral(" General Setting "));

    // MP3 page
    auto* mp3 = new QWidget;
    auto* mp3Group = new QGroupBox(QStringLiteral(" Mp3 Encoder Options "), mp3);
    Com_Sample = named(new QComboBox, "Com_Sample");
    Track_MinBit = slider(mp3Group, "Track_MinBit", 16);
    Label_mini = named(new QLabel, "Label_mini");
    radio_stereo = named(new QRadioButton(QStringLiteral("Stereo")), "radio_stereo");
    radio_joint = named(new QRadioButton(QStringLiteral("Joint-Stereo")), "radio_joint");
    radio_dual = named(new QRadioButton(QStringLiteral("Dual-Channel")), "radio_dual");
    Radio_mono = named(new QRadioButton(QStringLiteral("Mono")), "Radio_mono");
    auto* modeGroup = new QGroupBox(QStringLiteral("Mpeg Mode"));
    auto* modeLayout = new QHBoxLayout(modeGroup);
    for (QRadioButton* r : {radio_stereo, radio_joint, radio_dual, Radio_mono})
        modeLayout->addWidget(r);
    Check_VBR = named(new QCheckBox(QStringLiteral("Enable VBR")), "Check_VBR");
    Check_WriteVBR = named(new QCheckBox(QStringLiteral("Write VBR Header")), "Check_WriteVBR");
    Track_MaxBit = slider(mp3Group, "Track_MaxBit", 16);
    Label_max = named(new QLabel, "Label_max");
    Com_Quality = named(new QComboBox, "Com_Quality");
    Com_Quality->addItems(
        {QStringLiteral("Normal"), QStringLiteral("Low"), QStringLiteral("High"), QStringLiteral("Voice")});
    Track_VBR = slider(mp3Group, "Track_VBR", 9);
    Label_quality = named(new QLabel, "Label_quality");
    Check_copy = named(new QCheckBox(QStringLiteral("Copyright")), "Check_copy");
    Check_Original = named(new QCheckBox(QStringLiteral("Original")), "Check_Original");
    Check_CRC = named(new QCheckBox(QStringLiteral("CRC")), "Check_CRC");
    Check_Private = named(new QCheckBox(QStringLiteral("Private")), "Check_Private");
    BitBtn1 = named(new QPushButton(QStringLiteral("Load default setting")), "BitBtn1");
    auto withReadout = [](QSlider* s, QLabel* readout) {
        auto* row = new QHBoxLayout;
        row->addWidget(s, 1);
        readout->setMinimumWidth(90);
        row->addWidget(readout);
        return row;
    };
    auto* mp3Form = new QFormLayout(mp3Group);
    mp3Form->addRow(QStringLiteral("Sample Rate"), Com_Sample);
    mp3Form->addRow(QStringLiteral("Mini Bitrate"), withReadout(Track_MinBit, Label_mini));
    mp3Form->addRow(modeGroup);
    auto* vbrRow = new QHBoxLayout;
    vbrRow->addWidget(Check_VBR);
    vbrRow->addWidget(Check_WriteVBR);
    mp3Form->addRow(vbrRow);
    mp3Form->addRow(QStringLiteral("Max Bitrate"), withReadout(Track_MaxBit, Label_max));
    mp3Form->addRow(QStringLiteral("Mpeg Quality"), Com_Quality);
    mp3Form->addRow(QStringLiteral("VBR Quality"), withReadout(Track_VBR, Label_quality));
    auto* flagRow = new QHBoxLayout;
    for (QCheckBox* box : {Check_copy, Check_Original, Check_CRC, Check_Private})
        flagRow->addWidget(box);
    mp3Form->addRow(flagRow);
    mp3Form->addRow(BitBtn1);
    auto* mp3Layout = new QVBoxLayout(mp3);
    mp3Layout->addWidget(mp3Group);
    PageControl1->addTab(mp3, QStringLiteral(" Encode Mp3 "));

    // WMA page
    auto* wma = new QWidget;
    auto* wmaGroup = new QGroupBox(QStringLiteral(" WMA Encoder Options "), wma);
    Combo_Bit = named(new QComboBox, "Combo_Bit");
    for (const WmaRow& row : wmaTable())
        Combo_Bit->addItem(QLatin1String(row.item));
    Check_DRM = named(new QCheckBox(QStringLiteral("Enable DRM")), "Check_DRM");
    Combo_Sam = named(new QComboBox, "Combo_Sam");
    Radio_WMA_Stereo = named(new QRadioButton(QStringLiteral("Stereo")), "Radio_WMA_Stereo");
    Radio_WMA_Mono = named(new QRadioButton(QStringLiteral("Mono")), "Radio_WMA_Mono");
    auto* channels = new QGroupBox(QStringLiteral("Channels"));
    auto* channelsLayout = new QHBoxLayout(channels);
    channelsLayout->addWidget(Radio_WMA_Stereo);
    channelsLayout->addWidget(Radio_WMA_Mono);
    auto* wmaForm = new QFormLayout(wmaGroup);
    wmaForm->addRow(QStringLiteral("Bit Rate:"), Combo_Bit);
    wmaForm->addRow(Check_DRM);
    wmaForm->addRow(QStringLiteral("Sampling Rate:"), Combo_Sam);
    wmaForm->addRow(channels);
    auto* wmaLayout = new QVBoxLayout(wma);
    wmaLayout->addWidget(wmaGroup);
    wmaLayout->addStretch();
    PageControl1->addTab(wma, QStringLiteral("Encode WMA"));

    // The other formats of the Any Format list
    auto* formats = new QWidget;
    auto* formatsGroup = new QGroupBox(QStringLiteral(" Other Formats "), formats);
    Track_FlacLevel = slider(formatsGroup, "Track_FlacLevel", 8);
    Label_FlacLevel = named(new QLabel, "Label_FlacLevel");
    Track_VorbisQuality = slider(formatsGroup, "Track_VorbisQuality", 10);
    Track_VorbisQuality->setMinimum(-1);
    Label_VorbisQuality = named(new QLabel, "Label_VorbisQuality");
    const auto kbits = [](const char* name, int low, int high) {
        auto* box = named(new QSpinBox, name);
        box->setRange(low, high);
        box->setSuffix(QStringLiteral(" kbit/s"));
        return box;
    };
    Spin_OpusBitRate = kbits("Spin_OpusBitRate", 6, 510);
    Spin_AacBitRate = kbits("Spin_AacBitRate", 32, 512);
    Combo_WavFormat = named(new QComboBox, "Combo_WavFormat");
    Combo_WavFormat->addItems({QStringLiteral("As the source"), QStringLiteral("16-bit")});
    auto* formatsForm = new QFormLayout(formatsGroup);
    formatsForm->addRow(QStringLiteral("FLAC compression level:"), withReadout(Track_FlacLevel, Label_FlacLevel));
    formatsForm->addRow(QStringLiteral("Ogg Vorbis quality:"), withReadout(Track_VorbisQuality, Label_VorbisQuality));
    formatsForm->addRow(QStringLiteral("Opus bit rate (variable):"), Spin_OpusBitRate);
    formatsForm->addRow(QStringLiteral("AAC bit rate:"), Spin_AacBitRate);
    formatsForm->addRow(QStringLiteral("WAV samples:"), Combo_WavFormat);
    auto* note = new QLabel(QStringLiteral("MP3 and WMA results take the settings of their own pages. FLAC, ALAC "
                                           "and WAV as the source keep the source's samples."));
    note->setWordWrap(true);
    formatsForm->addRow(note);
    auto* formatsLayout = new QVBoxLayout(formats);
    formatsLayout->addWidget(formatsGroup);
    formatsLayout->addStretch();
    PageControl1->addTab(formats, QStringLiteral("Other Formats"));
    connect(Track_FlacLevel, &QSlider::valueChanged, this,
            [this](int level) { Label_FlacLevel->setText(QString::number(level)); });
    connect(Track_VorbisQuality, &QSlider::valueChanged, this,
            [this](int quality) { Label_VorbisQuality->setText(QString::number(quality)); });

    Btn_ok = named(new QPushButton(QStringLiteral("OK")), "Btn_ok");
    Btn_Cancel = named(new QPushButton(QStringLiteral("Cancel")), "Btn_Cancel");
    Btn_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Btn_ok);
    buttons->addWidget(Btn_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    FormCreate();

    connect(Radio_same, &QRadioButton::toggled, this, &TOptionForm::Radio_sameClick);
    connect(Radio_other, &QRadioButton::toggled, this, &TOptionForm::Radio_sameClick);
    connect(Btn_Browse, &QToolButton::clicked, this, &TOptionForm::SpeedButton1Click);
    connect(Com_Sample, &QComboBox::activated, this, &TOptionForm::Com_SampleChange);
    connect(Track_MinBit, &QSlider::valueChanged, this, &TOptionForm::Track_MinBitChange);
    connect(Track_MaxBit, &QSlider::valueChanged, this, &TOptionForm::Track_MaxBitChange);
    connect(Track_VBR, &QSlider::valueChanged, this, &TOptionForm::Track_VBRChange);
    connect(Check_VBR, &QCheckBox::toggled, this, &TOptionForm::Check_VBRClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TOptionForm::BitBtn1Click);
    connect(Combo_Bit, &QComboBox::activated, this, &TOptionForm::Combo_BitChange);
    connect(Radio_WMA_Stereo, &QRadioButton::toggled, this, [this](bool on) {
        if (on) wmaChannelsClicked();
    });
    connect(Radio_WMA_Mono, &QRadioButton::toggled, this, [this](bool on) {
        if (on) wmaChannelsClicked();
    });
    connect(Btn_ok, &QPushButton::clicked, this, [this] { guarded([this] { Btn_okClick(); }); });
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint());
}

int TOptionForm::BitrateIndex(int32_t bitrate)
{
    for (int i = 0; i < 17; ++i)
        if (Bitrates[i] == bitrate) return i;
    return 0;
}

int TOptionForm::SampleRateIndex(int32_t rate)
{
    if (rate == 0) return 0;
    for (int i = 1; i < 9; ++i)
        if (SampleRates[i] == rate) return i;
    return 2;
}

void TOptionForm::FormCreate()
{
    const Settings& s = m_settings;
    Com_Sample->addItem(QStringLiteral("Auto Select"));
    for (int i = 1; i < 9; ++i)
        Com_Sample->addItem(QString::number(SampleRates[i]));

    Radio_same->setChecked(s.SameFolder);
    Radio_other->setChecked(!s.SameFolder);
    Edit_Folder->setText(s.DestFolder);
    Radio_sameClick();

    Check_view->setChecked(s.ViewFolder);
    Check_over->setChecked(s.OverWrite);
    Check_remove->setChecked(s.RemoveItem);
    Check_play->setChecked(s.PlayDone);
    Check_prompt->setChecked(s.PromptCvt);
    Track_FlacLevel->setValue(s.FlacLevel);
    Label_FlacLevel->setText(QString::number(s.FlacLevel));
    Track_VorbisQuality->setValue(s.VorbisQuality);
    Label_VorbisQuality->setText(QString::number(s.VorbisQuality));
    Spin_OpusBitRate->setValue(s.OpusBitRate);
    Spin_AacBitRate->setValue(s.AacBitRate);
    Combo_WavFormat->setCurrentIndex(s.WavSixteenBit ? 1 : 0);
    Combo_Jobs->setCurrentIndex(std::clamp(int(s.ConvertJobs), 0, kMaxConvertJobs));

    const int sampleIndex = SampleRateIndex(s.SampleRate);
    Com_Sample->setCurrentIndex(sampleIndex);
    setBounds(sampleIndex);
    setSlider(Track_MinBit, BitrateIndex(s.Bitrate));
    setSlider(Track_MaxBit, BitrateIndex(s.MaxBitrate));

    QRadioButton* modes[4] = {radio_stereo, radio_joint, radio_dual, Radio_mono};
    if (s.Mode >= 0 && s.Mode <= 3) modes[s.Mode]->setChecked(true);

    Com_Quality->setCurrentIndex(s.Quality >= 0 && s.Quality < Com_Quality->count() ? s.Quality : -1);
    Check_VBR->setChecked(s.VBR);
    Check_VBRClick();
    Check_WriteVBR->setChecked(s.WriteVBR);
    setSlider(Track_VBR, s.VBRQuality);
    Check_copy->setChecked(s.CopyRight);
    Check_Original->setChecked(s.Original);
    Check_CRC->setChecked(s.CRC);
    Check_Private->setChecked(s.Private);

    Combo_Bit->setCurrentIndex(Combo_Bit->findText(QString::number(s.WMABitRate) + QStringLiteral("kb/s")));
    Check_DRM->setChecked(s.EnableDRM);
    LastWMAChannels = s.WMAChannels;
    (s.WMAChannels == 2 ? Radio_WMA_Stereo : Radio_WMA_Mono)->setChecked(true);
    FillWMASampleRates();
    Combo_Sam->setCurrentIndex(Combo_Sam->findText(QString::number(s.WMASampleRate) + QStringLiteral("Hz")));

    Label_mini->setText(QString::number(Bitrates[Track_MinBit->value()]) + QStringLiteral(" kBits/s"));
    Label_max->setText(QString::number(Bitrates[Track_MaxBit->value()]) + QStringLiteral(" kBits/s"));
    Label_quality->setText(QString::number(Track_VBR->value()));
}

void TOptionForm::setBounds(int sampleIndex)
{
    if (sampleIndex == 0) {
        BitMinPos = 0;
        BitMaxPos = 16;
    } else if (sampleIndex <= 3) {
        BitMinPos = 3;
        BitMaxPos = 16;
    } else {
        BitMinPos = 0;
        BitMaxPos = 12;
    }
}

// Sets a position from code; the change rules run whether or not it moved.
void TOptionForm::setSlider(QSlider* slider, int position)
{
    {
        const QSignalBlocker block(slider);
        slider->setValue(position);
    }
    if (slider == Track_MinBit)
        Track_MinBitChange();
    else if (slider == Track_MaxBit)
        Track_MaxBitChange();
    else
        Track_VBRChange();
}

void TOptionForm::Track_MinBitChange()
{
    const QSignalBlocker blockMin(Track_MinBit);
    const QSignalBlocker blockMax(Track_MaxBit);
    Track_MinBit->setValue(std::clamp(Track_MinBit->value(), BitMinPos, BitMaxPos));
    if (Track_MaxBit->value() < Track_MinBit->value()) {
        Track_MaxBit->setValue(Track_MinBit->value());
        Label_max->setText(QString::number(Bitrates[Track_MaxBit->value()]) + QStringLiteral(" kBits/s"));
    }
    Label_mini->setText(QString::number(Bitrates[Track_MinBit->value()]) + QStringLiteral(" kBits/s"));
}

void TOptionForm::Track_MaxBitChange()
{
    const QSignalBlocker blockMax(Track_MaxBit);
    Track_MaxBit->setValue(std::clamp(Track_MaxBit->value(), BitMinPos, BitMaxPos));
    if (Track_MaxBit->value() < Track_MinBit->value()) Track_MaxBit->setValue(Track_MinBit->value());
    Label_max->setText(QString::number(Bitrates[Track_MaxBit->value()]) + QStringLiteral(" kBits/s"));
}

void TOptionForm::Track_VBRChange()
{
    Label_quality->setText(QString::number(Track_VBR->value()));
}

void TOptionForm::Com_SampleChange()
{
    setBounds(Com_Sample->currentIndex());
    setSlider(Track_MinBit, Track_MinBit->value());
    setSlider(Track_MaxBit, Track_MaxBit->value());
}

void TOptionForm::Check_VBRClick()
{
    const bool on = Check_VBR->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{Check_WriteVBR, Track_MaxBit, Com_Quality, Track_VBR})
        w->setEnabled(on);
}

void TOptionForm::Radio_sameClick()
{
    Edit_Folder->setEnabled(Radio_other->isChecked());
    Btn_Browse->setEnabled(Radio_other->isChecked());
}

void TOptionForm::BitBtn1Click()
{
    Com_Sample->setCurrentIndex(0);
    setBounds(0);
    setSlider(Track_MinBit, 11);
    setSlider(Track_MaxBit, 11);
    radio_stereo->setChecked(true);
    Com_Quality->setCurrentIndex(0);
    Check_VBR->setChecked(false);
    Check_WriteVBR->setChecked(false);
    setSlider(Track_VBR, 4);
    Check_copy->setChecked(false);
    Check_Original->setChecked(false);
    Check_CRC->setChecked(true);
    Check_Private->setChecked(false);
}

void TOptionForm::FillWMASampleRates()
{
    Combo_Sam->clear();
    const int index = Combo_Bit->currentIndex();
    if (index < 0) return;
    const WmaRow& row = wmaTable()[index];
    if (row.channels == WmaChannels::MonoOnly) {
        Radio_WMA_Mono->setEnabled(true);
        Radio_WMA_Mono->setChecked(true);
        Radio_WMA_Stereo->setEnabled(false);
    } else if (row.channels == WmaChannels::StereoOnly) {
        Radio_WMA_Stereo->setEnabled(true);
        Radio_WMA_Stereo->setChecked(true);
        Radio_WMA_Mono->setEnabled(false);
    } else {
        Radio_WMA_Stereo->setEnabled(true);
        Radio_WMA_Mono->setEnabled(true);
    }
    Combo_Sam->addItems(Radio_WMA_Mono->isChecked() ? row.mono : row.stereo);
}

void TOptionForm::Combo_BitChange()
{
    FillWMASampleRates();
    Combo_Sam->setCurrentIndex(Combo_Sam->count() > 0 ? 0 : -1);
    LastWMAChannels = Radio_WMA_Mono->isChecked() ? 1 : 2;
}

// Either channel button has become checked, by the user or by code.
void TOptionForm::wmaChannelsClicked()
{
    const int32_t checked = Radio_WMA_Mono->isChecked() ? 1 : 2;
    if (checked == LastWMAChannels) return;
    LastWMAChannels = checked;
    Combo_Sam->clear();
    const int index = Combo_Bit->currentIndex();
    if (index >= 0 && wmaTable()[index].channels == WmaChannels::Both)
        Combo_Sam->addItems(checked == 1 ? wmaTable()[index].mono : wmaTable()[index].stereo);
    Combo_Sam->setCurrentIndex(Combo_Sam->count() > 0 ? 0 : -1);
}

void TOptionForm::SpeedButton1Click()
{
    QString folder = Edit_Folder->text();
    // Cancelling leaves the field as it was.
    if (BrowseForFolder(QStringLiteral("Select Directory to save destination files "), QString(), folder))
        Edit_Folder->setText(withBackslashRule(folder));
}

void TOptionForm::Btn_okClick()
{
    Settings& s = m_settings;
    s.SameFolder = Radio_same->isChecked();
    if (Edit_Folder->text().trimmed().isEmpty()) Edit_Folder->setText(m_programFolder);
    Edit_Folder->setText(withBackslashRule(Edit_Folder->text()));
    s.DestFolder = Edit_Folder->text();
    s.ViewFolder = Check_view->isChecked();
    s.OverWrite = Check_over->isChecked();
    s.RemoveItem = Check_remove->isChecked();
    s.PlayDone = Check_play->isChecked();
    s.PromptCvt = Check_prompt->isChecked();
    s.ConvertJobs = Combo_Jobs->currentIndex(); // 0: automatic
    s.SampleRate = SampleRates[std::max(0, Com_Sample->currentIndex())];
    s.Bitrate = Bitrates[Track_MinBit->value()];
    s.MaxBitrate = Bitrates[Track_MaxBit->value()];
    const QRadioButton* modes[4] = {radio_stereo, radio_joint, radio_dual, Radio_mono};
    for (int mode = 0; mode < 4; ++mode)
        if (modes[mode]->isChecked()) s.Mode = mode;
    s.Quality = Com_Quality->currentIndex();
    s.VBR = Check_VBR->isChecked();
    s.WriteVBR = Check_WriteVBR->isChecked();
    s.VBRQuality = Track_VBR->value();
    s.CopyRight = Check_copy->isChecked();
    s.Original = Check_Original->isChecked();
    s.CRC = Check_CRC->isChecked();
    s.Private = Check_Private->isChecked();
    s.WMABitRate = leadingNumber(Combo_Bit->currentText(), QStringLiteral("kb/s"));
    s.WMASampleRate = leadingNumber(Combo_Sam->currentText(), QStringLiteral("Hz"));
    s.EnableDRM = Check_DRM->isChecked();
    s.WMAChannels = Radio_WMA_Stereo->isChecked() ? 2 : 1;
    s.FlacLevel = Track_FlacLevel->value();
    s.VorbisQuality = Track_VorbisQuality->value();
    s.OpusBitRate = Spin_OpusBitRate->value();
    s.AacBitRate = Spin_AacBitRate->value();
    s.WavSixteenBit = Combo_WavFormat->currentIndex() == 1;
    accept();
}

} // namespace audrel
