#pragma once
#include <QObject>

class TestPrompts : public QObject
{
    Q_OBJECT
private slots:
    void scriptedAnswersAndRecords();
    void filterSplitsIntoPairs();
    // guarded() shows what a handler raises, as the default handler does.
    void exceptionsShownAsTheDefaultHandlerDoes();
};
