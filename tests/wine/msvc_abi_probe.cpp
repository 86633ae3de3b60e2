// A program built in the Microsoft C++ ABI that proves the toolchain's start-up code:
// static constructors and destructors, a C++ exception thrown and caught through msvcrt's
// helpers, and a delete through a virtual destructor. It prints one line per check and
// exits 0 only when all held.
#include <stdio.h>

namespace {
int constructed;

struct StaticObject {
    StaticObject() { constructed = 1; }
    ~StaticObject() { printf("static destructor ran\n"); }
};
StaticObject staticObject;

struct Shape {
    virtual ~Shape() {}
    virtual int Sides() const = 0;
};

int destroyed;

struct Square : Shape {
    ~Square() override { ++destroyed; }
    int Sides() const override { return 4; }
};

struct Failure {
    int code;
};

int ThrowAndCatch()
{
    try {
        throw Failure{7};
    } catch (const Failure& failure) {
        return failure.code;
    }
}
}

int main(int argc, char** argv)
{
    int failures = 0;
    auto check = [&](bool held, const char* what) {
        printf("%s: %s\n", held ? "ok" : "FAILED", what);
        failures += held ? 0 : 1;
    };
    check(constructed == 1, "static constructor ran before main");
    check(argc >= 1 && argv[0] != nullptr, "arguments from msvcrt");
    check(ThrowAndCatch() == 7, "exception caught with its value");
    Shape* shape = new Square;
    check(shape->Sides() == 4, "virtual call");
    delete shape;
    check(destroyed == 1, "delete through the virtual destructor");
    return failures;
}
