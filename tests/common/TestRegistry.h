#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

// Each test file registers its QtTest class here, so one executable per area
// can run any of its classes by name (that is how CTest calls it).
class TestRegistry
{
public:
    using Factory = std::function<std::unique_ptr<QObject>()>;
    static std::map<QString, Factory>& Classes()
    {
        static std::map<QString, Factory> classes;
        return classes;
    }
    struct Registrar {
        Registrar(const char* name, Factory factory)
        {
            Classes().emplace(QString::fromLatin1(name), std::move(factory));
        }
    };
};

#define PLOVIX_TEST(Class)                                                                                             \
    static TestRegistry::Registrar s_registrar_##Class(                                                                \
        #Class, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); });
