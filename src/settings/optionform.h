#pragma once
// "Custom Settings": the dialog in which the user edits the settings. It copies
// the settings into its controls when it opens; OK writes them back.

#include "settings/settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace audrel {

class TOptionForm : public QDialog
{
    Q_OBJECT

public:
    TOptionForm(Settings& settings, const QString& programFolder, QWidget* parent = nullptr);

    // MP3 sample rates (0: "Auto Select") and bit rates by slider position.
    static const int32_t SampleRates[9];
    static const int32_t Bitrates[17];

    // The first slider position with this bit rate, or 0.
    static int BitrateIndex(int32_t bitrate);
    // The sample-rate entry for a rate: 0 for 0, the entry of that rate, else 2 (44100).
    static int SampleRateIndex(int32_t rate);

    int BitMinPos = 0;
    int BitMaxPos = 16;
    int32_t LastWMAChannels = 2;

    // Writes the controls into the settings and closes. Throws EAudrelError
    // "'…' is not a valid integer value" when a WMA list has no selection; the
    // settings before that one are stored and the dialog stays open.
    void Btn_okClick();
    void BitBtn1Click();
    void SpeedButton1Click();

private:
    void FormCreate();
    void setBounds(int sampleIndex);
    void setSlider(QSlider* slider, int position);
    void Track_MinBitChange();
    void Track_MaxBitChange();
    void Track_VBRChange();
    void Com_SampleChange();
    void Check_VBRClick();
    void Radio_sameClick();
    void FillWMASampleRates();
    void Combo_BitChange();
    void wmaChannelsClicked();

    Settings& m_settings;
    QString m_programFolder;

    QTabWidget* PageControl1;
    QRadioButton* Radio_same;
    QRadioButton* Radio_other;
    QLineEdit* Edit_Folder;
    QToolButton* Btn_Browse;
    QCheckBox* Check_view;
    QCheckBox* Check_over;
    QCheckBox* Check_remove;
    QCheckBox* Check_play;
    QCheckBox* Check_prompt;
    QComboBox* Combo_Jobs;

    QComboBox* Com_Sample;
    QSlider* Track_MinBit;
    QLabel* Label_mini;
    QRadioButton* radio_stereo;
    QRadioButton* radio_joint;
    QRadioButton* radio_dual;
    QRadioButton* Radio_mono;
    QCheckBox* Check_VBR;
    QCheckBox* Check_WriteVBR;
    QSlider* Track_MaxBit;
    QLabel* Label_max;
    QComboBox* Com_Quality;
    QSlider* Track_VBR;
    QLabel* Label_quality;
    QCheckBox* Check_copy;
    QCheckBox* Check_Original;
    QCheckBox* Check_CRC;
    QCheckBox* Check_Private;
    QPushButton* BitBtn1;

    QComboBox* Combo_Bit;
    QCheckBox* Check_DRM;
    QComboBox* Combo_Sam;
    QRadioButton* Radio_WMA_Stereo;
    QRadioButton* Radio_WMA_Mono;

    QSlider* Track_FlacLevel;
    QLabel* Label_FlacLevel;
    QSlider* Track_VorbisQuality;
    QLabel* Label_VorbisQuality;
    QSpinBox* Spin_OpusBitRate;
    QSpinBox* Spin_AacBitRate;
    QComboBox* Combo_WavFormat;

    QPushButton* Btn_ok;
    QPushButton* Btn_Cancel;
};

} // namespace audrel
