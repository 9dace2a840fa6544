#pragma once
// "About Audrel": the product name, version and the maker's links, the
// licence and the libraries the program is built on.

#include <QDialog>

class QLabel;

namespace audrel {

struct LinkSettings;

class TForm_About : public QDialog
{
    Q_OBJECT

public:
    TForm_About(const LinkSettings& links, QWidget* parent = nullptr);

    static const char* const kLicence;
    static const char* const kCredits;

private:
    QLabel* Label_Homepage;
    QLabel* Label_email;
};

} // namespace audrel
