#pragma once

// The embedded pictures live in the static core library, whose resource
// table the linker would drop as unreferenced; this registers it. Safe to
// call more than once, from the GUI thread.
namespace AppResources {
void Init();
}
