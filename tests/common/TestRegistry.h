#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// Test classes register themselves so that each area's program runs all of its files.
namespace TestRegistry {
using Factory = std::function<std::unique_ptr<QObject>()>;
struct Entry
{
    const char *name;
    Factory make;
};
std::vector<Entry> &entries();
bool add(const char *name, Factory make);
}

// Place after a test class: KOVA_TEST(TestPacket)
#define KOVA_TEST(Class)                                                                     \
    static const bool kova_registered_##Class =                                              \
        TestRegistry::add(#Class, [] { return std::unique_ptr<QObject>(new Class); });
