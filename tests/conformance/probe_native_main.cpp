// The probe over the emulated desktop: a fresh 1024 x 768 desktop and a
// module made from the player's compiled resources, as the Windows probe has.
#include "platform/emu/desktop.h"
#include "resources/compiled_resources.h"
#include "tests/conformance/probe.h"

int main() {
    emu::resetDesktop(1024, 768);
    HINSTANCE instance = emu::createModule(compiledResources(), compiledResourcesSize(), "probe.exe");
    return runProbe(instance);
}
