#include "tst_prompts.h"

#include "platform/errors.h"

#include "platform/prompts/prompts.h"
#include "scriptedprompts.h"

#include <QTest>

using namespace audrel;

void TestPrompts::scriptedAnswersAndRecords()
{
    Prompts* before = &Prompts::instance();
    {
        test::ScriptedPrompts prompts;
        QCOMPARE(&Prompts::instance(), static_cast<Prompts*>(&prompts));
        prompts.messageAnswers.enqueue(IdRetry);
        QCOMPARE(showMessage("first", "Error", MsgIcon::Error, {IdCancel, IdRetry, IdIgnore}), int(IdRetry));
        // An empty script answers with the first button.
        QCOMPARE(showMessage("second", "Confirm", MsgIcon::Question, {IdYes, IdNo}), int(IdYes));
        QCOMPARE(prompts.messages.size(), 2);
        QCOMPARE(prompts.messages[0].text, QString("first"));
        QCOMPARE(prompts.messages[0].icon, MsgIcon::Error);
        QCOMPARE(prompts.messages[1].buttons, (QList<int>{IdYes, IdNo}));
    }
    QCOMPARE(&Prompts::instance(), before);
}

void TestPrompts::filterSplitsIntoPairs()
{
    const auto pairs = splitFilter("All Supported File|*.wav;*.pls;*.m3u|Windows waveform (*.WAV)|*.wav");
    QCOMPARE(pairs.size(), 2);
    QCOMPARE(pairs[0].second, QString("*.wav;*.pls;*.m3u"));
    QCOMPARE(pairs[1].first, QString("Windows waveform (*.WAV)"));
}

void TestPrompts::exceptionsShownAsTheDefaultHandlerDoes()
{
    test::ScriptedPrompts prompts;
    bool after = false;
    guarded([] { throw EFileError("Unable to write to /x/Options.ini"); });
    guarded([] { throw std::runtime_error("plain failure"); });
    guarded([&] { after = true; });
    QVERIFY(after);
    QCOMPARE(prompts.messages.size(), 2);
    QCOMPARE(prompts.messages[0].text, QString("Unable to write to /x/Options.ini"));
    QCOMPARE(prompts.messages[0].caption, QString("Error"));
    QCOMPARE(prompts.messages[0].icon, MsgIcon::Error);
    QCOMPARE(prompts.messages[1].text, QString("plain failure"));
}
