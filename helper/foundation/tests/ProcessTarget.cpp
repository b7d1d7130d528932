// A process for the enumeration tests to find and end: it waits, then leaves by itself.
#include <windows.h>

int main() {
    Sleep(60000);
    return 0;
}
