#include "TestRegistry.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

std::vector<TestRegistry::Entry> &TestRegistry::entries()
{
    static std::vector<Entry> list;
    return list;
}

bool TestRegistry::add(const char *name, Factory make)
{
    entries().push_back({name, std::move(make)});
    return true;
}

// Runs every registered class. KOVA_TEST_CLASS=Name runs one class; any further
// command-line arguments are passed to QTest (e.g. a test function name).
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KovaTests"));
    const QByteArray only = qgetenv("KOVA_TEST_CLASS");
    int failed = 0;
    int ran = 0;
    for (const auto &entry : TestRegistry::entries()) {
        if (!only.isEmpty() && only != entry.name)
            continue;
        auto object = entry.make();
        failed += QTest::qExec(object.get(), argc, argv) != 0 ? 1 : 0;
        ++ran;
    }
    std::printf("%d test classes run, %d failed\n", ran, failed);
    return failed == 0 && ran > 0 ? 0 : 1;
}
