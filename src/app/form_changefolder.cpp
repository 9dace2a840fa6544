#include "app/form_changefolder.h"

#include "jobs/joblist.h"
#include "platform/prompts/prompts.h"
#include "settings/settings.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace audrel {

namespace {

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TForm_ChangeFolder::TForm_ChangeFolder(JobList* list, const Settings& settings, QWidget* parent)
    : QDialog(parent), m_list(list)
{
    setObjectName(QStringLiteral("Form_ChangeFolder"));
    setWindowTitle(QStringLiteral("Change Destination File Folder"));
    auto* group = new QGroupBox(QStringLiteral(" Destination file folder "), this);
    Radio_same = new QRadioButton(QStringLiteral("Same as source file folder"), group);
    Radio_same->setObjectName(QStringLiteral("Radio_same"));
    Radio_other = new QRadioButton(QStringLiteral("Other folder"), group);
    Radio_other->setObjectName(QStringLiteral("Radio_other"));
    Edit_Folder = new QLineEdit(group);
    Edit_Folder->setObjectName(QStringLiteral("Edit_Folder"));
    Edit_Folder->setReadOnly(true); // set through the browse button only
    Btn_Browse = new QToolButton(group);
    Btn_Browse->setObjectName(QStringLiteral("Btn_Browse"));
    Btn_Browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Edit_Folder, 1);
    folderRow->addWidget(Btn_Browse);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(Radio_same);
    groupLayout->addWidget(Radio_other);
    groupLayout->addLayout(folderRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    (settings.SameFolder ? Radio_same : Radio_other)->setChecked(true);
    Edit_Folder->setText(settings.DestFolder);
    Radio_sameClick();

    connect(Radio_same, &QRadioButton::toggled, this, &TForm_ChangeFolder::Radio_sameClick);
    connect(Btn_Browse, &QToolButton::clicked, this, &TForm_ChangeFolder::Btn_BrowseClick);
    connect(BtnOK, &QPushButton::clicked, this, &TForm_ChangeFolder::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(370, 143);
    setFixedSize(size().expandedTo(sizeHint()));
}

QString TForm_ChangeFolder::JoinFolder(const QString& folder, const QString& fileName)
{
    return folder.endsWith(QDir::separator()) ? folder + fileName : folder + QDir::separator() + fileName;
}

void TForm_ChangeFolder::Radio_sameClick()
{
    Edit_Folder->setEnabled(Radio_other->isChecked());
    Btn_Browse->setEnabled(Radio_other->isChecked());
}

void TForm_ChangeFolder::Btn_BrowseClick()
{
    QString folder = Edit_Folder->text();
    if (BrowseForFolder(QStringLiteral("Select Directory to save destination files "), QString(), folder)) {
        if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
        Edit_Folder->setText(folder);
    }
    // Cancelling leaves the field as it was.
}

void TForm_ChangeFolder::BtnOKClick()
{
    const QString other = Edit_Folder->text();
    const bool same = Radio_same->isChecked();
    if (same || (Radio_other->isChecked() && !other.trimmed().isEmpty())) {
        for (int row = 0; row < m_list->count(); ++row) {
            TJobRec& rec = m_list->record(row);
            rec.Dest = JoinFolder(same ? folderOf(rec.Source) : other, fileNameOf(rec.Dest));
            m_list->setSubItem(row, JobList::SubDest, rec.Dest);
        }
    }
    accept();
}

} // namespace audrel
