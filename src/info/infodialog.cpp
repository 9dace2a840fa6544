#include "info/infodialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace audrel {

InfoDialog::InfoDialog(const QString& caption, const QString& group, const char* memoName, const QString& path,
                       QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    Panel_Name = new QLabel(path, this);
    Panel_Name->setObjectName(QStringLiteral("Panel_Name"));
    Panel_Name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel_Name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* box = new QGroupBox(group, this);
    m_memo = new QPlainTextEdit(box);
    m_memo->setObjectName(QLatin1String(memoName));
    m_memo->setReadOnly(true);
    m_row = new QHBoxLayout(box);
    m_row->addWidget(m_memo, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel_Name);
    layout->addWidget(box, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(420, 300);
}

void InfoDialog::placeBesideMemo(QWidget* widget)
{
    m_row->addWidget(widget, 0, Qt::AlignTop);
}

void InfoDialog::setMemo(const QStringList& lines)
{
    m_memo->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList InfoDialog::memoLines() const
{
    const QString text = m_memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

} // namespace audrel
