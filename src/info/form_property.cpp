#include "info/form_property.h"

#include "info/audiotags.h"
#include "info/genres.h"
#include "info/infotext.h"
#include "info/mpegaudio.h"
#include "platform/errors.h"
#include "platform/prompts/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cstring>

namespace audrel {

namespace {

QLineEdit* editor(QWidget* parent, const char* name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    return e;
}

} // namespace

TForm_Property::TForm_Property(const QString& path, QWidget* parent)
    : QDialog(parent), m_mpeg(std::make_unique<TMPEGAudio>())
{
    setObjectName(QStringLiteral("Form_Property"));
    setWindowTitle(QStringLiteral("Mpeg file property + ID3 tag editor"));

    Panel_Name = new QLabel(path, this);
    Panel_Name->setObjectName(QStringLiteral("Panel_Name"));
    Panel_Name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel_Name->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* tagGroup = new QGroupBox(QStringLiteral(" ID3v1 Tag Editor "), this);
    Check_ID3v1 = new QCheckBox(QStringLiteral("ID3v1 Tag"), tagGroup);
    Check_ID3v1->setObjectName(QStringLiteral("Check_ID3v1"));
    Edit_track = editor(tagGroup, "Edit_track", 3);
    Edit_track->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), Edit_track));
    Edit_Title = editor(tagGroup, "Edit_Title", 30);
    Edit_Artist = editor(tagGroup, "Edit_Artist", 30);
    Edit_Album = editor(tagGroup, "Edit_Album", 30);
    Edit_Comment = editor(tagGroup, "Edit_Comment", 30);
    // Four digit places; places left open stay blanks in the tag.
    Edit_year = editor(tagGroup, "Edit_year", 4);
    Edit_year->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,4}")), Edit_year));
    Combo_Genre = new QComboBox(tagGroup);
    Combo_Genre->setObjectName(QStringLiteral("Combo_Genre"));
    Combo_Genre->setEditable(true);
    Combo_Genre->setInsertPolicy(QComboBox::NoInsert);
    Combo_Genre->addItem(QString());
    for (int code = 0; code < GenreCount; ++code)
        Combo_Genre->addItem(QLatin1String(GenreNames[code]));
    auto* tagForm = new QFormLayout(tagGroup);
    tagForm->addRow(Check_ID3v1);
    tagForm->addRow(QStringLiteral("Track #"), Edit_track);
    tagForm->addRow(QStringLiteral("Title"), Edit_Title);
    tagForm->addRow(QStringLiteral("Artist"), Edit_Artist);
    tagForm->addRow(QStringLiteral("Album"), Edit_Album);
    tagForm->addRow(QStringLiteral("Year"), Edit_year);
    tagForm->addRow(QStringLiteral("Comment"), Edit_Comment);
    tagForm->addRow(QStringLiteral("Genre"), Combo_Genre);

    auto* mpegGroup = new QGroupBox(QStringLiteral(" Mpeg Property "), this);
    MpegMemo = new QPlainTextEdit(mpegGroup);
    MpegMemo->setObjectName(QStringLiteral("MpegMemo"));
    MpegMemo->setReadOnly(true);
    MpegMemo->setFocusPolicy(Qt::NoFocus);
    auto* mpegLayout = new QVBoxLayout(mpegGroup);
    mpegLayout->addWidget(MpegMemo);
    // The ID3v2 tag most players read first, when the file has one.
    m_id3v2 = ReadId3v2(path);
    Label_ID3v2 = new QLabel(mpegGroup);
    Label_ID3v2->setObjectName(QStringLiteral("Label_ID3v2"));
    Label_ID3v2->setWordWrap(true);
    Label_ID3v2->setVisible(m_id3v2.Present);
    if (m_id3v2.Present)
        Label_ID3v2->setText(
            QStringLiteral("Also an ID3v2.%1 tag: %2")
                .arg(m_id3v2.Version)
                .arg(m_id3v2.Tags.Title.isEmpty() ? QStringLiteral("(no title)") : m_id3v2.Tags.Title));
    mpegLayout->addWidget(Label_ID3v2);
    Check_ID3v2 = new QCheckBox(QStringLiteral("Also update the ID3v2 tag"), tagGroup);
    Check_ID3v2->setObjectName(QStringLiteral("Check_ID3v2"));
    Check_ID3v2->setChecked(m_id3v2.Present);
    Check_ID3v2->setVisible(m_id3v2.Present);
    tagForm->addRow(Check_ID3v2);

    Btn_update = new QPushButton(QStringLiteral("Update"), this);
    Btn_update->setObjectName(QStringLiteral("Btn_update"));
    btn_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    Btn_Undo = new QPushButton(QStringLiteral("Undo Changes"), this);
    Btn_Undo->setObjectName(QStringLiteral("Btn_Undo"));

    auto* groups = new QHBoxLayout;
    groups->addWidget(tagGroup, 3);
    groups->addWidget(mpegGroup, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Btn_update);
    buttons->addWidget(btn_Cancel);
    buttons->addWidget(Btn_Undo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel_Name);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    // FormCreate: analyse the file (its error prompt included), then fill.
    m_mpeg->LoadFile(path);
    fillEditors();
    MpegMemo->setPlainText(MpegMemoLines(*m_mpeg).join(QLatin1Char('\n')));
    Check_ID3v1Click();

    connect(Check_ID3v1, &QCheckBox::toggled, this, &TForm_Property::Check_ID3v1Click);
    connect(Combo_Genre->lineEdit(), &QLineEdit::textEdited, this, [this] { m_genreTyped = true; });
    connect(Combo_Genre, &QComboBox::activated, this, [this] { m_genreTyped = false; });
    connect(Btn_update, &QPushButton::clicked, this, [this] { guarded([this] { Btn_updateClick(); }); });
    connect(Btn_Undo, &QPushButton::clicked, this, &TForm_Property::Btn_UndoClick);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint().expandedTo(QSize(560, 340)));
}

TForm_Property::~TForm_Property() = default;

void TForm_Property::fillEditors()
{
    const TMPEGInfo& d = m_mpeg->Data;
    // Item i + 1 is genre i; codes past the table leave nothing chosen.
    Combo_Genre->setCurrentIndex(d.Genre == 255 ? 0 : (d.Genre < GenreCount ? d.Genre + 1 : -1));
    m_genreTyped = false;
    Edit_Title->setText(m_mpeg->TitleOrDefault());
    Edit_Artist->setText(m_mpeg->ArtistOrDefault());
    Edit_Album->setText(d.Album);
    Edit_year->setText(d.Year);
    Edit_Comment->setText(d.Comment);
    Edit_track->setText(QString::number(d.Track));
    m_shown.clear();
    for (QWidget* w : std::initializer_list<QWidget*>{Edit_Title, Edit_Artist, Edit_Album, Edit_year,
                                                      Edit_Comment, Edit_track})
        m_shown.insert(w->objectName(), static_cast<QLineEdit*>(w)->text());
    m_shown.insert(Combo_Genre->objectName(), Combo_Genre->currentText());
}

void TForm_Property::Check_ID3v1Click()
{
    const bool on = Check_ID3v1->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{Edit_Title, Edit_Artist, Edit_Album, Edit_year,
                                                      Edit_Comment, Edit_track, Combo_Genre})
        w->setEnabled(on);
}

void TForm_Property::Btn_updateClick()
{
    const QString year = Edit_year->text().leftJustified(4, QLatin1Char(' '), true);
    m_updatedColumns = {Edit_Title->text(), Edit_Artist->text(), Edit_Album->text(), year};
    m_mpeg->setComment(Edit_Comment->text());
    m_mpeg->setTitle(Edit_Title->text());
    m_mpeg->setAlbum(Edit_Album->text());
    m_mpeg->setArtist(Edit_Artist->text());
    m_mpeg->setYear(year);
    const int genreIndex = m_genreTyped ? -1 : Combo_Genre->currentIndex();
    m_mpeg->setGenre(genreIndex > 0 ? uint8_t(genreIndex - 1) : uint8_t(255));
    bool ok = false;
    const int track = Edit_track->text().trimmed().toInt(&ok);
    if (ok) m_mpeg->setTrack(uint8_t(track & 0xFF));
    const QString file = m_mpeg->Data.FileName;
    // The ID3v2 tag first: the ID3v1 write reads the file again. It takes only
    // the fields changed here, in full; the editors show the ID3v1 view of the
    // file, which must not overwrite the ID3v2 tag's own texts.
    QString id3v2Problem;
    if (m_id3v2.Present && Check_ID3v2->isChecked()) {
        TagChanges changes;
        const std::pair<QLineEdit*, std::optional<QString> TagChanges::*> texts[] = {
            {Edit_Title, &TagChanges::Title},     {Edit_Artist, &TagChanges::Artist},
            {Edit_Album, &TagChanges::Album},     {Edit_year, &TagChanges::Year},
            {Edit_Comment, &TagChanges::Comment},
        };
        for (const auto& [edit, field] : texts)
            if (edit->text() != m_shown.value(edit->objectName())) changes.*field = edit->text();
        if (changes.Year) changes.Year = changes.Year->trimmed(); // blanks are the open places
        if (Edit_track->text() != m_shown.value(Edit_track->objectName()))
            changes.Track = ok ? uint32_t(track) : 0;
        if (Combo_Genre->currentText() != m_shown.value(Combo_Genre->objectName()))
            changes.Genre = genreIndex > 0 ? QLatin1String(GenreNames[genreIndex - 1])
                                           : (m_genreTyped ? Combo_Genre->currentText() : QString());
        id3v2Problem = UpdateId3v2(file, changes);
    }
    const int32_t result = m_mpeg->WriteTag();
    if (result != 0) {
        const QString reason = result > 0 ? QString::fromLocal8Bit(std::strerror(result))
                                          : QStringLiteral("The file does not exist.");
        showMessage(QStringLiteral("The tag could not be written to %1.\n%2").arg(file, reason),
                    QStringLiteral("Information"), MsgIcon::Error);
    } else if (!id3v2Problem.isEmpty()) {
        showMessage(QStringLiteral("The ID3v2 tag could not be updated: %1.").arg(id3v2Problem),
                    QStringLiteral("Information"), MsgIcon::Error);
    }
    accept();
}

void TForm_Property::Btn_UndoClick()
{
    fillEditors();
}

} // namespace audrel
