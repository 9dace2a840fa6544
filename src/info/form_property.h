#pragma once
// "Mpeg file property + ID3 tag editor": the MPEG header values of a file and
// an editor for its ID3v1 tag. When the file also has an ID3v2 tag, a note
// names it and a box (checked) lets Update write the fields changed here
// into it.
// After Update it hands back the texts that the MP3 to WAV list shows in its
// Title, Artist, Album and Year columns.

#include "info/audiotags.h"

#include <QDialog>
#include <QHash>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace audrel {

class TMPEGAudio;

class TForm_Property : public QDialog
{
    Q_OBJECT

public:
    TForm_Property(const QString& path, QWidget* parent = nullptr);
    ~TForm_Property() override;

    const TMPEGAudio& MPEGAudio() const { return *m_mpeg; }
    // After Update: title, artist, album and year as the list columns show
    // them; empty when the dialog closed without Update.
    const QStringList& UpdatedColumns() const { return m_updatedColumns; }

    void Check_ID3v1Click();
    // Writes the tag, keeps the column texts, then closes.
    void Btn_updateClick();
    // Puts the editors back as the file was read.
    void Btn_UndoClick();

private:
    void fillEditors();

    std::unique_ptr<TMPEGAudio> m_mpeg;
    QStringList m_updatedColumns;
    Id3v2Tag m_id3v2;
    QHash<QString, QString> m_shown; // each editor's text as filled from the file
    bool m_genreTyped = false;       // the genre was typed, so no list entry is chosen

    QLabel* Panel_Name;
    QCheckBox* Check_ID3v1;
    QCheckBox* Check_ID3v2;
    QLabel* Label_ID3v2;
    QLineEdit* Edit_track;
    QLineEdit* Edit_Title;
    QLineEdit* Edit_Artist;
    QLineEdit* Edit_Album;
    QLineEdit* Edit_Comment;
    QLineEdit* Edit_year;
    QComboBox* Combo_Genre;
    QPlainTextEdit* MpegMemo;
    QPushButton* Btn_update;
    QPushButton* btn_Cancel;
    QPushButton* Btn_Undo;
};

} // namespace audrel
