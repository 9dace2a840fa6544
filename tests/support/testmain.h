#pragma once
// Runs several test classes in one executable and returns the number of failures.

#include <QTest>

namespace audrel::test {

// AUDREL_TEST_CLASS, when set, names the one class to run, so that its
// functions can be named on the command line.
template <class Test>
int runTest(int argc, char** argv)
{
    const QByteArray only = qgetenv("AUDREL_TEST_CLASS");
    if (!only.isEmpty() && only != Test::staticMetaObject.className()) return 0;
    Test test;
    return QTest::qExec(&test, argc, argv);
}

template <class... Tests>
int runTests(int argc, char** argv)
{
    return (runTest<Tests>(argc, argv) + ...);
}

} // namespace audrel::test

#define AUDREL_CORE_TEST_MAIN(...)                                                                     \
    int main(int argc, char** argv)                                                                    \
    {                                                                                                  \
        QCoreApplication app(argc, argv);                                                              \
        return audrel::test::runTests<__VA_ARGS__>(argc, argv);                                        \
    }

#define AUDREL_GUI_TEST_MAIN(...)                                                                      \
    int main(int argc, char** argv)                                                                    \
    {                                                                                                  \
        QApplication app(argc, argv);                                                                  \
        return audrel::test::runTests<__VA_ARGS__>(argc, argv);                                        \
    }
