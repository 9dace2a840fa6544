#include "app/form_about.h"

#include "app/application.h"
#include "app/mainform.h"
#include "platform/shell/shell.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace audrel {

namespace {

// Whether the theme draws light text on dark windows.
bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

// The product name drawn twice, white one pixel below and right, navy on top;
// on a dark theme the colours come from the theme, so the name stays readable.
class ShadowedName : public QWidget
{
public:
    explicit ShadowedName(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Label_Product"));
        QFont f = font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 2);
        setFont(f);
        setMinimumSize(fontMetrics().horizontalAdvance(text()) + 4, fontMetrics().height() + 4);
    }
    static QString text() { return QStringLiteral("Audrel"); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int baseline = fontMetrics().ascent() + 1;
        const bool dark = isDark(palette());
        p.setPen(dark ? palette().color(QPalette::Shadow) : QColor(Qt::white));
        p.drawText(2, baseline + 1, text());
        p.setPen(dark ? palette().color(QPalette::Link) : QColor(0, 0, 128));
        p.drawText(1, baseline, text());
    }
};

// A blue, underlined label with a hand cursor that opens an address when clicked.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString& text, QString target, const char* name, QWidget* parent)
        : QLabel(text, parent), m_target(std::move(target))
    {
        setObjectName(QLatin1String(name));
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, isDark(p) ? p.color(QPalette::Link) : QColor(Qt::blue));
        setPalette(p);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        Shell::instance().open(m_target);
    }

private:
    QString m_target;
};

} // namespace

const char* const TForm_About::kLicence =
    "Audrel is free software under the GNU General Public License, version 3 or "
    "later (GPL-3.0-or-later), and comes with no warranty.";
const char* const TForm_About::kCredits =
    "Built on Qt (LGPL-3.0), LAME (LGPL-2.0-or-later), libmpg123 (LGPL-2.1), "
    "libsndfile (LGPL-2.1-or-later), FFmpeg (LGPL-2.1-or-later) and TagLib "
    "(LGPL-2.1 or MPL-1.1); see CREDITS.";

TForm_About::TForm_About(const LinkSettings& links, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_About"));
    setWindowTitle(QStringLiteral("About Audrel"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image_Icon"));
    icon->setPixmap(ProgramIcon().pixmap(QSize(64, 64), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setMinimumWidth(72);

    auto* version = new QLabel(QStringLiteral("Version 1.88"), this);
    version->setObjectName(QStringLiteral("Label_Version"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    Label_Homepage = new LinkLabel(links.HomepageTitle, links.Homepage, "Label_Homepage", this);
    Label_email = new LinkLabel(links.EmailUs, links.MailTo, "Label_email", this);
    auto* links_ = new QGridLayout;
    links_->addWidget(new QLabel(QStringLiteral("Home Page:"), this), 0, 0);
    links_->addWidget(Label_Homepage, 0, 1);
    links_->addWidget(new QLabel(QStringLiteral("E-Mail:"), this), 1, 0);
    links_->addWidget(Label_email, 1, 1);

    // The licence, and the libraries the program is built on with theirs.
    auto* licence = new QLabel(QString::fromLatin1(kLicence), this);
    licence->setObjectName(QStringLiteral("Label_Licence"));
    auto* credits = new QLabel(QString::fromLatin1(kCredits), this);
    credits->setObjectName(QStringLiteral("Label_Credits"));
    for (QLabel* label : {licence, credits}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* right = new QVBoxLayout;
    right->addWidget(new ShadowedName(this));
    right->addWidget(version);
    right->addSpacing(12);
    right->addLayout(links_);
    right->addSpacing(12);
    right->addWidget(licence);
    right->addWidget(credits);
    right->addStretch();
    right->addWidget(ok, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon);
    layout->addLayout(right, 1);
    resize(303, 217);
    setFixedSize(size().expandedTo(sizeHint()));
}

} // namespace audrel
