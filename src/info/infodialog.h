#pragma once
// The frame of the information dialogs of WAV, WMA and other audio files: the
// file's path, a group with a read-only memo (and, for some, a picture beside
// it), and an OK button.

#include <QDialog>
#include <QStringList>

class QHBoxLayout;
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
    // Puts a widget to the right of the memo, in its group.
    void placeBesideMemo(QWidget* widget);

private:
    QLabel* Panel_Name;
    QPlainTextEdit* m_memo;
    QHBoxLayout* m_row;
};

} // namespace audrel
