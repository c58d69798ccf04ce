// The GUI tests' main: COM for the shell and the picture decoder, then doctest.
#define DOCTEST_CONFIG_IMPLEMENT
#include <windows.h>

#include <objbase.h>

#include <doctest/doctest.h>

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    doctest::Context context(argc, argv);
    const int result = context.run();
    CoUninitialize();
    return result;
}
