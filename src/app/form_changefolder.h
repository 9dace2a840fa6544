#pragma once
// "Change Destination File Folder": moves the destinations of every row of one
// list to the sources' own folders or to another folder.

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace audrel {

class JobList;
struct Settings;

class TForm_ChangeFolder : public QDialog
{
    Q_OBJECT

public:
    TForm_ChangeFolder(JobList* list, const Settings& settings, QWidget* parent = nullptr);

    // Folder, a separator unless it ends in one, then the file name.
    static QString JoinFolder(const QString& folder, const QString& fileName);

    void Btn_BrowseClick();
    void BtnOKClick();

private:
    void Radio_sameClick();

    JobList* m_list;
    QRadioButton* Radio_same;
    QRadioButton* Radio_other;
    QLineEdit* Edit_Folder;
    QToolButton* Btn_Browse;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

} // namespace audrel
