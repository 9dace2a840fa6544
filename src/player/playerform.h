#pragma once
// What the player windows share: the small fixed window with the
// current file in a group box, the seek bar over its four bitmaps, the button
// bar (Play, Pause, Stop, Prior, Next, Exit Playing), the play list with its
// current entry, the search for the next entry whose file exists (each missing
// one announced), and the Seeking flag that keeps position updates off the
// seek bar while the thumb is held. The windows differ in their texts (one
// table) and in the engine that plays: the MP3 player library for
// TPlayMp3Form, the media player for TPlayWavForm and TPlayWMAForm.
//
// A window is given the paths to play and knows nothing of the window that
// opened it. Every handler of a button, the seek bar or a timer runs guarded:
// an exception it raises is shown as the default exception handler shows it,
// and the window stays open.

#include <QDialog>
#include <QStringList>
#include <QStyle>

class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace audrel {

class TSlider;

// Which player window plays a list.
enum class PlayerKind
{
    Mp3,
    Wav,
    Wma,
    Audio // any audio file FFmpeg decodes
};

class TPlayerForm : public QDialog
{
    Q_OBJECT

public:
    ~TPlayerForm() override;

    // The seek bar runs from 0 to this until a player sets another range.
    static constexpr int kSeekRange = 400;

    PlayerKind Kind() const { return m_kind; }
    const QStringList& PlayPaths() const { return m_playPaths; }
    int CurrentIndex() const { return m_currentIndex; }
    bool Seeking() const { return m_seeking; }
    TSlider* Slider() const { return m_slider; }

    // Every way of closing (Exit Playing, the close box, Escape) comes here.
    void reject() override;

protected:
    TPlayerForm(PlayerKind kind, const QStringList& paths, QWidget* parent);

    // From the entry at CurrentIndex on, shows each entry and announces each
    // one whose file is missing, until one exists: true then, with
    // CurrentIndex on it; false when no entry is left.
    bool FindEntry();
    // The current entry in the fields of the group box.
    virtual void ShowEntry(int index);
    // Prior and Next for the entry found, and the group's progress caption.
    void ShowPlace();
    void setButtons(bool play, bool pause, bool stop);

    virtual void btn_PlayClick() = 0;
    virtual void Btn_PauseClick() = 0;
    virtual void Btn_StopClick() = 0;
    virtual void btn_REWClick() = 0;
    virtual void Btn_FORClick() = 0;
    virtual void SpeedButton6Click() = 0;
    // The thumb was dropped somewhere else.
    virtual void SliderChange() = 0;
    // Runs once, when the window starts closing.
    virtual void FormClose() = 0;

    void closeEvent(QCloseEvent* event) override;

    QGroupBox* GroupBox;
    QLineEdit* Edit_Title = nullptr; // the MP3 player only
    QLineEdit* Edit_file;
    QToolButton* btn_Play;
    QToolButton* Btn_Pause;
    QToolButton* Btn_Stop;
    QToolButton* btn_REW;
    QToolButton* Btn_FOR;
    QToolButton* SpeedButton6;
    QLabel* ThumbNormalImage;
    QLabel* ThumbHighlightedImage;
    QLabel* ThumbClickedImage;
    QLabel* TrackImage;

    QStringList m_playPaths;
    int m_currentIndex = 0;
    bool m_seeking = false;
    TSlider* m_slider;

private:
    void SliderMouseDown();
    void SliderMouseUp();
    QToolButton* button(const char* name, const char* hint, QStyle::StandardPixmap icon, int x);
    QLabel* image(const char* name, const char* resource);

    PlayerKind m_kind;
    bool m_closing = false;
};

} // namespace audrel
