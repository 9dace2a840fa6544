#include "platform/errors.h"
#include "scriptedprompts.h"
#include "settings/optionform.h"
#include "testmain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace audrel;

namespace {

template <class W> W* child(QWidget& form, const char* name)
{
    W* w = form.findChild<W*>(name);
    if (!w) qFatal("no child %s", name);
    return w;
}

QStringList items(QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// Picks an entry the way the user does, so the change handler runs.
void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

const QString kFolder = QStringLiteral("/opt/audrel/");

} // namespace

class TestOptionForm : public QObject
{
    Q_OBJECT

private slots:
    void opensWithSettings()
    {
        Settings s;
        s.SameFolder = false;
        s.DestFolder = "/music/out";
        s.SampleRate = 12345;
        s.Mode = 7;
        TOptionForm form(s, kFolder);
        QCOMPARE(form.windowTitle(), QString("Custom Settings"));
        auto* sample = child<QComboBox>(form, "Com_Sample");
        QCOMPARE(items(sample).first(), QString("Auto Select"));
        QCOMPARE(sample->count(), 9);
        QCOMPARE(sample->currentText(), QString("44100"));
        QVERIFY(child<QLineEdit>(form, "Edit_Folder")->isEnabled());
        QCOMPARE(child<QLineEdit>(form, "Edit_Folder")->text(), QString("/music/out"));
        QCOMPARE(child<QLabel>(form, "Label_mini")->text(), QString("128 kBits/s"));
        QCOMPARE(child<QLabel>(form, "Label_max")->text(), QString("320 kBits/s"));
        QCOMPARE(child<QLabel>(form, "Label_quality")->text(), QString("4"));
        for (const char* name : {"radio_stereo", "radio_joint", "radio_dual", "Radio_mono"})
            QVERIFY(!child<QRadioButton>(form, name)->isChecked());
        // VBR off greys out its controls.
        for (const char* name : {"Check_WriteVBR", "Track_MaxBit", "Com_Quality", "Track_VBR"})
            QVERIFY2(!child<QWidget>(form, name)->isEnabled(), name);
        child<QCheckBox>(form, "Check_VBR")->setChecked(true);
        QVERIFY(child<QSlider>(form, "Track_MaxBit")->isEnabled());
        child<QRadioButton>(form, "Radio_same")->setChecked(true);
        QVERIFY(!child<QLineEdit>(form, "Edit_Folder")->isEnabled());
        QVERIFY(!child<QWidget>(form, "Btn_Browse")->isEnabled());
    }

    void bitRateBounds()
    {
        Settings s;
        s.SampleRate = 0;
        s.Bitrate = 8;
        TOptionForm form(s, kFolder);
        auto* sample = child<QComboBox>(form, "Com_Sample");
        auto* minBit = child<QSlider>(form, "Track_MinBit");
        auto* maxBit = child<QSlider>(form, "Track_MaxBit");
        QCOMPARE(minBit->value(), 0);
        choose(sample, 2); // 44100: at least 32
        QCOMPARE(TOptionForm::Bitrates[minBit->value()], 32);
        QCOMPARE(child<QLabel>(form, "Label_mini")->text(), QString("32 kBits/s"));
        minBit->setValue(1); // dragged below the bound
        QCOMPARE(minBit->value(), 3);
        choose(sample, 5); // 22050: at most 160
        QCOMPARE(TOptionForm::Bitrates[maxBit->value()], 160);
        maxBit->setValue(16);
        QCOMPARE(maxBit->value(), 12);
        minBit->setValue(10);
        maxBit->setValue(4); // below the minimum: snaps back to it
        QCOMPARE(maxBit->value(), 10);
        minBit->setValue(12); // the minimum pushes the maximum along
        QCOMPARE(maxBit->value(), 12);
        QCOMPARE(child<QLabel>(form, "Label_max")->text(), QString("160 kBits/s"));

        // Stored 128/320 at 22050: the maximum opens at 160 and is stored so.
        Settings t;
        t.SampleRate = 22050;
        t.Bitrate = 128;
        t.MaxBitrate = 320;
        TOptionForm second(t, kFolder);
        second.Btn_okClick();
        QCOMPARE(t.MaxBitrate, 160);
        QCOMPARE(t.Bitrate, 128);
    }

    void wmaTable()
    {
        Settings s;
        s.WMABitRate = 32;
        s.WMASampleRate = 32000;
        s.WMAChannels = 2;
        TOptionForm form(s, kFolder);
        auto* bit = child<QComboBox>(form, "Combo_Bit");
        auto* sam = child<QComboBox>(form, "Combo_Sam");
        auto* stereo = child<QRadioButton>(form, "Radio_WMA_Stereo");
        auto* mono = child<QRadioButton>(form, "Radio_WMA_Mono");
        QCOMPARE(bit->count(), 16);
        QCOMPARE(bit->currentText(), QString("32kb/s"));
        QCOMPARE(items(sam), (QStringList{"22050Hz", "32000Hz"}));
        QCOMPARE(sam->currentText(), QString("32000Hz"));
        mono->setChecked(true);
        QCOMPARE(items(sam), QStringList{"44100Hz"});
        QCOMPARE(form.LastWMAChannels, 1);
        stereo->setChecked(true);
        QCOMPARE(items(sam), (QStringList{"22050Hz", "32000Hz"}));
        mono->setChecked(true);

        choose(bit, 11); // 64kb/s: stereo only
        QVERIFY(!mono->isEnabled());
        QVERIFY(stereo->isChecked());
        QCOMPARE(items(sam), QStringList{"44100Hz"});
        QCOMPARE(form.LastWMAChannels, 2);
        choose(bit, 2); // 8kb/s: mono only, listed once
        QVERIFY(!stereo->isEnabled());
        QVERIFY(mono->isChecked());
        QCOMPARE(items(sam), (QStringList{"8000Hz", "11025Hz"}));
        QCOMPARE(sam->currentIndex(), 0);
        choose(bit, 6); // 20kb/s: both, the user's choice (mono) stays
        QVERIFY(stereo->isEnabled() && mono->isEnabled());
        QCOMPARE(items(sam), (QStringList{"22050Hz", "32000Hz"}));

        form.Btn_okClick();
        QCOMPARE(s.WMABitRate, 20);
        QCOMPARE(s.WMASampleRate, 22050);
        QCOMPARE(s.WMAChannels, 1);
    }

    void okStoresEveryField()
    {
        Settings s;
        TOptionForm form(s, kFolder);
        child<QRadioButton>(form, "Radio_other")->setChecked(true);
        child<QLineEdit>(form, "Edit_Folder")->setText("/data/out");
        child<QCheckBox>(form, "Check_view")->setChecked(false);
        child<QCheckBox>(form, "Check_over")->setChecked(false);
        child<QCheckBox>(form, "Check_remove")->setChecked(true);
        child<QCheckBox>(form, "Check_play")->setChecked(false);
        child<QCheckBox>(form, "Check_prompt")->setChecked(true);
        QCOMPARE(child<QComboBox>(form, "Combo_Jobs")->currentText(), "Automatic");
        choose(child<QComboBox>(form, "Combo_Jobs"), 3);
        choose(child<QComboBox>(form, "Com_Sample"), 1);
        child<QSlider>(form, "Track_MinBit")->setValue(13);
        // Greyed out while VBR is off, stored all the same.
        child<QSlider>(form, "Track_MaxBit")->setValue(15);
        child<QComboBox>(form, "Com_Quality")->setCurrentIndex(2);
        child<QSlider>(form, "Track_VBR")->setValue(7);
        child<QCheckBox>(form, "Check_WriteVBR")->setChecked(true);
        child<QRadioButton>(form, "radio_joint")->setChecked(true);
        child<QCheckBox>(form, "Check_copy")->setChecked(true);
        child<QCheckBox>(form, "Check_CRC")->setChecked(false);
        child<QCheckBox>(form, "Check_DRM")->setChecked(true);
        QCOMPARE(child<QSlider>(form, "Track_FlacLevel")->value(), 5);
        child<QSlider>(form, "Track_FlacLevel")->setValue(8);
        QCOMPARE(child<QLabel>(form, "Label_FlacLevel")->text(), "8");
        child<QSlider>(form, "Track_VorbisQuality")->setValue(-1);
        child<QSpinBox>(form, "Spin_OpusBitRate")->setValue(96);
        child<QSpinBox>(form, "Spin_AacBitRate")->setValue(1000); // beyond its range: the most it takes
        choose(child<QComboBox>(form, "Combo_WavFormat"), 1);
        form.Btn_okClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!s.SameFolder);
        QCOMPARE(s.DestFolder, QString("/data/out/"));
        QVERIFY(!s.ViewFolder && !s.OverWrite && s.RemoveItem && !s.PlayDone && s.PromptCvt);
        QCOMPARE(s.ConvertJobs, 3);
        QCOMPARE(s.SampleRate, 48000);
        QCOMPARE(s.Bitrate, 192);
        QCOMPARE(s.MaxBitrate, 256);
        QCOMPARE(s.Mode, 1);
        QCOMPARE(s.Quality, 2);
        QVERIFY(!s.VBR && s.WriteVBR);
        QCOMPARE(s.VBRQuality, 7);
        QVERIFY(s.CopyRight && !s.Original && !s.CRC && !s.Private);
        QVERIFY(s.EnableDRM);
        QCOMPARE(s.FlacLevel, 8);
        QCOMPARE(s.VorbisQuality, -1);
        QCOMPARE(s.OpusBitRate, 96);
        QCOMPARE(s.AacBitRate, 512);
        QVERIFY(s.WavSixteenBit);
        QCOMPARE(s.WMABitRate, 128);
        QCOMPARE(s.WMASampleRate, 44100);
        QCOMPARE(s.WMAChannels, 2);

        // A blank folder stores the program folder.
        Settings t;
        TOptionForm blank(t, kFolder);
        child<QLineEdit>(blank, "Edit_Folder")->setText("   ");
        blank.Btn_okClick();
        QCOMPARE(t.DestFolder, kFolder);
    }

    void cancelChangesNothing()
    {
        Settings s;
        const Settings before = s;
        TOptionForm form(s, kFolder);
        child<QCheckBox>(form, "Check_VBR")->setChecked(true);
        child<QLineEdit>(form, "Edit_Folder")->setText("/else");
        child<QPushButton>(form, "Btn_Cancel")->click();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(s == before);
    }

    void loadDefaultsTouchesMp3PageOnly()
    {
        Settings s;
        s.SameFolder = false;
        s.SampleRate = 22050;
        s.Bitrate = 64;
        s.VBR = true;
        s.CRC = false;
        s.Private = true;
        s.Mode = MONO;
        s.WMABitRate = 64;
        s.PlayDone = false;
        TOptionForm form(s, kFolder);
        form.BitBtn1Click();
        form.Btn_okClick();
        QCOMPARE(s.SampleRate, 0);
        QCOMPARE(s.Bitrate, 128);
        QCOMPARE(s.MaxBitrate, 128);
        QCOMPARE(s.Mode, int32_t(STEREO));
        QVERIFY(!s.VBR && s.CRC && !s.Private);
        QCOMPARE(s.VBRQuality, 4);
        QVERIFY(!s.SameFolder);
        QVERIFY(!s.PlayDone);
        QCOMPARE(s.WMABitRate, 64);
    }

    void emptyWmaListFailsAndStaysOpen()
    {
        Settings s;
        s.WMABitRate = 33; // fits no entry
        s.Bitrate = 64;
        TOptionForm form(s, kFolder);
        form.show();
        QCOMPARE(child<QComboBox>(form, "Combo_Bit")->currentIndex(), -1);
        child<QSlider>(form, "Track_MinBit")->setValue(13);
        try {
            form.Btn_okClick();
            QFAIL("no error raised");
        } catch (const EAudrelError& e) {
            QCOMPARE(e.message(), QString("'' is not a valid integer value"));
        }
        QCOMPARE(s.Bitrate, 192); // stored before the failure
        QCOMPARE(s.WMABitRate, 33);
        QVERIFY(form.isVisible());
        // Through the button the error is shown and the dialog stays.
        test::ScriptedPrompts prompts;
        child<QPushButton>(form, "Btn_ok")->click();
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages[0].text, QString("'' is not a valid integer value"));
        QVERIFY(form.isVisible());
    }

    void browseFolder()
    {
        QTemporaryDir dir;
        Settings s;
        s.SameFolder = false;
        s.DestFolder = dir.path();
        TOptionForm form(s, kFolder);
        test::ScriptedPrompts prompts;
        prompts.folderAnswers.enqueue("/chosen/folder");
        form.SpeedButton1Click();
        QCOMPARE(prompts.folderRequests[0].title, QString("Select Directory to save destination files "));
        QCOMPARE(prompts.folderRequests[0].startFolder, dir.path()); // an existing folder is the start
        QCOMPARE(child<QLineEdit>(form, "Edit_Folder")->text(), QString("/chosen/folder/"));
        form.SpeedButton1Click(); // cancelled; "/chosen/folder/" does not exist: no start folder
        QCOMPARE(prompts.folderRequests[1].startFolder, QString());
        // Cancelling leaves the field as it was.
        QCOMPARE(child<QLineEdit>(form, "Edit_Folder")->text(), QString("/chosen/folder/"));
    }
};

AUDREL_GUI_TEST_MAIN(TestOptionForm)
#include "tst_optionform.moc"
