// The probe as a Windows console program: its answers go to standard output,
// which Wine hands to the Unix side.
#include "tests/conformance/probe.h"

int main() {
    return runProbe(GetModuleHandleA(nullptr));
}
