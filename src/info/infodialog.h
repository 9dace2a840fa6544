#pragma once
// The frame of the WAV and WMA information dialogs: the file's path, a group
// with a read-only memo, and an OK button.

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;

namespace audrel {

class InfoDialog : public QDialog
{
    Q_OBJECT

public:
    QStringList memoLines() const;

protected:
    InfoDialog(const QString& caption, const QString& group, const char* memoName, const QString& path,
               QWidget* parent);
    void setMemo(const QStringList& lines);

private:
    QLabel* Panel_Name;
    QPlainTextEdit* m_memo;
};

} // namespace audrel
